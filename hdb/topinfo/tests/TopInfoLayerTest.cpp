// The map layer of the points of interest: which ranges each mode draws, the
// pictures' rectangles and the highlight frame, the far-away limit, hints and
// clicks where pictures overlap, and printing.
#include "TopInfoLayer.h"
#include "AppResources.h"
#include "TopInfoTestData.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using TopInfoTestData::Poi;

// Window pixel = metres east of 3 500 000 and south of 5 600 000.
class FlatInfo : public MapEventInfo {
public:
    bool screen = true;
    bool Transform(const Coord& from, Coord& to) const override {
        if (from.type != 1 || to.type != 0xC001)
            return false;
        to.x = from.y - 3500000;
        to.y = 5600000 - from.x;
        return true;
    }
    bool IsScreen() const override { return screen; }
};

class Selection : public TopInfoSelection {
public:
    TopInfoDataSource* source = nullptr;
    QString category, element;
    QStringList selected;
    TopInfoDataSource* DataSource() const override { return source; }
    QString CategoryKeyInUse() const override { return category; }
    QString SelectedElementKey() const override { return element; }
    void SelectByKey(const QString& key) override { selected << key; }
};

bool inkedIn(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.rect().contains(x, y) && image.pixel(x, y) != qRgb(255, 255, 255))
                return true;
    return false;
}

Poi at(const char* category, const char* name, int x, int y) {
    Poi p;
    p.category = category;
    p.name = QString::fromUtf8(name);
    p.easting = 3500000 + x;
    p.northing = 5600000 - y;
    return p;
}

class TopInfoLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<Poi> pois = {at("1", "Aussichtsturm", 20, 20), at("3", "Museum A", 100, 50),
                                 at("3", "Museum B", 110, 55), at("3", "Museum Fern", 40100, 50),
                                 at("6", "Zeltplatz", 150, 80)};
        ASSERT_TRUE(TopInfoTestData::write(dir.path(), pois));
        source = std::make_unique<TopInfoDataSource_HDB16>(dir.path(), "TopInfo", "Kennmark");
        ASSERT_EQ(source->recordCount(), 5);
        selection.source = source.get();
        selection.category = "3";
        const char* resources[] = {"Modul_TopInfo_Sehensw", "Modul_TopInfo_JugHerb", "Modul_TopInfo_Museum",
                                   "Modul_TopInfo_BurgS",   "Modul_TopInfo_BewiHue", "Modul_TopInfo_Camping"};
        for (int i = 0; i < 6; ++i)
            layer.AddPainter(QString::number(i + 1),
                             std::make_unique<TopInfoBitmapCatPainter>(&selection, resources[i]));
        bitmap = AppResources::bitmap("Modul_TopInfo_Museum").size();
        ASSERT_FALSE(bitmap.isEmpty());
    }
    // Paints on a white picture of 200 × 100 pixels at the given dots per inch.
    QImage paint(bool screen = true, int dpi = 96) {
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setDotsPerMeterX(int(dpi / 0.0254));
        image.setDotsPerMeterY(int(dpi / 0.0254));
        QPainter painter(&image);
        FlatInfo info;
        info.canvas = &painter;
        info.screen = screen;
        layer.Paint(info);
        return image;
    }
    QStringList objectKeys() const {
        QStringList keys;
        for (const auto& o : layer.Objects())
            keys << static_cast<TopInfoFrameClickableObject*>(o.get())->Key();
        return keys;
    }
    const TopInfoClickableRect& rect(int i) const {
        return static_cast<const TopInfoClickableRect&>(*layer.Objects().at(std::size_t(i)));
    }
    bool hintAt(int x, int y, QString& hint) {
        FlatInfo info;
        info.position.type = 0xC001;
        info.position.x = x;
        info.position.y = y;
        return layer.ObjectUnderPoint(info, hint);
    }
    bool clickAt(int x, int y, bool doubleClick = false) {
        FlatInfo info;
        info.position.type = 0xC001;
        info.position.x = x;
        info.position.y = y;
        info.doubleClick = doubleClick;
        return layer.Click(info);
    }

    QTemporaryDir dir;
    std::unique_ptr<TopInfoDataSource_HDB16> source;
    Selection selection;
    TopInfoClickableLayer layer{&selection};
    QSize bitmap;
};

} // namespace

TEST_F(TopInfoLayerTest, ModesPicturesAndTheFarAwayLimit) {
    // Mode 0 draws nothing.
    QImage image = paint();
    EXPECT_TRUE(layer.Objects().empty());
    EXPECT_FALSE(inkedIn(image, image.rect()));

    // Mode 2: the category's elements; the one 40 000 pixels away is
    // neither drawn nor clickable.
    layer.SetMode(2);
    image = paint();
    ASSERT_EQ(objectKeys(), QStringList({"30000000002", "30000000003"}));
    const int w = bitmap.width(), h = bitmap.height();
    EXPECT_EQ(rect(0).left, 100 - w / 2);
    EXPECT_EQ(rect(0).top, 50 - h / 2);
    EXPECT_EQ(rect(0).right, 100 - w / 2 + w);
    EXPECT_EQ(rect(0).bottom, 50 - h / 2 + h);
    EXPECT_TRUE(inkedIn(image, QRect(rect(0).left, rect(0).top, w, h))) << "the museum picture is drawn";
    EXPECT_FALSE(inkedIn(image, QRect(20 - w / 2, 20 - h / 2, w, h))) << "other categories are not";
    QString hint;
    EXPECT_FALSE(hintAt(199, 50, hint));

    // A selected element is drawn once more, highlighted and on top: in
    // mode 2 it leaves two rectangles.
    selection.element = "30000000002";
    image = paint();
    ASSERT_EQ(objectKeys(), QStringList({"30000000002", "30000000003", "30000000002"}));
    EXPECT_EQ(image.pixel(rect(2).left - 2, rect(2).top - 2), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(rect(2).right + 1, rect(2).bottom + 1), qRgb(255, 0, 0));

    // Mode 1: only the selected element.
    layer.SetMode(1);
    paint();
    EXPECT_EQ(objectKeys(), QStringList({"30000000002"}));
    // ... unless it lies far away.
    selection.element = "30000000004";
    paint();
    EXPECT_TRUE(layer.Objects().empty());

    // Mode 3: the elements of every category, category by category.
    selection.element.clear();
    layer.SetMode(3);
    image = paint();
    EXPECT_EQ(objectKeys(), QStringList({"10000000001", "30000000002", "30000000003", "60000000005"}));
    EXPECT_TRUE(inkedIn(image, QRect(20 - w / 2, 20 - h / 2, w, h)));

    // Back to mode 0: the previous pictures are gone with the next paint.
    layer.SetMode(0);
    paint();
    EXPECT_TRUE(layer.Objects().empty());
}

TEST_F(TopInfoLayerTest, HintsAndClicksTakeTheLastDrawnPicture) {
    layer.SetMode(2);
    selection.element = "30000000002"; // Museum A, under Museum B but highlighted on top
    paint();
    QString hint;
    // Where A and B overlap the highlighted A was drawn last.
    ASSERT_TRUE(hintAt(105, 52, hint));
    EXPECT_EQ(hint, "Museum A");
    ASSERT_TRUE(clickAt(105, 52));
    EXPECT_EQ(selection.selected, QStringList({"30000000002"}));

    // Without the selection B lies on top of A.
    selection.element.clear();
    paint();
    ASSERT_TRUE(hintAt(105, 52, hint));
    EXPECT_EQ(hint, "Museum B");
    ASSERT_TRUE(clickAt(105, 52));
    EXPECT_EQ(selection.selected.last(), "30000000003");
    // Right and bottom edges are outside; left and top inside.
    EXPECT_FALSE(hintAt(rect(1).right, rect(1).top, hint));
    EXPECT_TRUE(hintAt(rect(1).right - 1, rect(1).bottom - 1, hint));
    // Nothing there, and a double click is no click.
    EXPECT_FALSE(clickAt(5, 95));
    EXPECT_FALSE(clickAt(105, 52, true));
    EXPECT_EQ(selection.selected.size(), 2);
}

TEST_F(TopInfoLayerTest, PaintersByKeyAndPrinting) {
    TopInfoClickableLayer own(&selection);
    auto* three = new TopInfoBitmapCatPainter(&selection, "Modul_TopInfo_Museum");
    auto* threeOne = new TopInfoBitmapCatPainter(&selection, "Modul_TopInfo_Museum");
    own.AddPainter("1", std::make_unique<TopInfoBitmapCatPainter>(&selection, "Modul_TopInfo_Sehensw"));
    own.AddPainter("3", std::unique_ptr<TopInfoCatPainter>(three));
    own.AddPainter("31", std::unique_ptr<TopInfoCatPainter>(threeOne));
    EXPECT_EQ(own.PainterFor("30000000042"), three) << "the greatest key not greater than the item's";
    EXPECT_EQ(own.PainterFor("31000000001"), threeOne);
    EXPECT_EQ(own.PainterFor("40000000001"), nullptr) << "\"31\" is not a beginning of it";
    EXPECT_EQ(own.PainterFor("00000000001"), nullptr);

    // A print draws scaled pictures and keeps the screen's clickable objects.
    layer.SetMode(2);
    paint();
    const QStringList screen = objectKeys();
    auto inked = [](const QImage& image) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) != qRgb(255, 255, 255);
        return n;
    };
    const QImage printed = paint(false, 200); // pixel scale 2
    EXPECT_EQ(objectKeys(), screen);
    const QImage plain = paint(false, 96);
    EXPECT_EQ(objectKeys(), screen);
    EXPECT_GT(inked(printed), 3 * inked(plain)) << "pictures stretched to twice their width and height";
    EXPECT_GT(inked(plain), 0);
}
