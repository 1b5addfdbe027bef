// The overview beside the main map: the frame it draws for the main view,
// and in the running program how it follows the main map and how a drag in
// it moves the main map.
#include "AppInitModule.h"
#include "DataPage.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "MapSequence.h"
#include "ModulBasis.h"
#include "ModuleTestSupport.h"
#include "OverviewModule.h"
#include "OverviewTabCard.h"
#include "ScriptedDialogs.h"
#include "TolmWindow.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using ModuleTestSupport::gk;

// Painted (dark) anywhere within 1 pixel of the point.
bool paintedNear(const QImage& image, QPoint p) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint q = p + QPoint(dx, dy);
            if (image.rect().contains(q) && qGray(image.pixel(q)) < 100)
                return true;
        }
    }
    return false;
}

struct Frame {
    TOverviewTabCard::FramePaint done;
    QImage image;
};

Frame paintFrame(QRectF view, bool withCorners = true) {
    Frame f;
    f.image = QImage(200, 200, QImage::Format_RGB32);
    f.image.fill(Qt::white);
    QPainter p(&f.image);
    std::optional<std::array<QPointF, 4>> corners;
    if (withCorners)
        corners = std::array<QPointF, 4>{view.topLeft(), view.topRight(), view.bottomRight(), view.bottomLeft()};
    f.done = TOverviewTabCard::PaintFrame(p, Qt::black, view.center(), corners);
    return f;
}

} // namespace

TEST(OverviewFrame, OutlineAndCrossHairByTheViewsSize) {
    // 4 x 100 pixels: the shorter side squared is 16 < 25: cross-hair only.
    Frame thin = paintFrame(QRectF(50, 50, 4, 100));
    EXPECT_FALSE(thin.done.outline);
    EXPECT_TRUE(thin.done.crossHair);
    EXPECT_FALSE(paintedNear(thin.image, {50, 60})) << "no outline along the long side";
    EXPECT_TRUE(paintedNear(thin.image, {52, 100 - 6})) << "upper arm";
    EXPECT_TRUE(paintedNear(thin.image, {52 + 6, 100})) << "right arm";

    // 10 x 10: outline (100 >= 25) and, being below 16 pixels, cross-hair too.
    Frame small = paintFrame(QRectF(100, 100, 10, 10));
    EXPECT_TRUE(small.done.outline);
    EXPECT_TRUE(small.done.crossHair);
    EXPECT_TRUE(paintedNear(small.image, {100, 105})) << "left edge";
    EXPECT_TRUE(paintedNear(small.image, {105 - 7, 105})) << "left arm reaches past the frame";

    // 40 x 40: outline only; the middle stays free.
    Frame large = paintFrame(QRectF(50, 50, 40, 40));
    EXPECT_TRUE(large.done.outline);
    EXPECT_FALSE(large.done.crossHair);
    EXPECT_TRUE(paintedNear(large.image, {70, 50}));
    EXPECT_FALSE(paintedNear(large.image, {70, 70 - 5}));

    // 16 x 16 is the first size without cross-hair, 15 x 15 still has one;
    // the outline starts at 5 pixels.
    EXPECT_FALSE(paintFrame(QRectF(20, 20, 16, 16)).done.crossHair);
    EXPECT_TRUE(paintFrame(QRectF(20, 20, 15, 15)).done.crossHair);
    EXPECT_TRUE(paintFrame(QRectF(20, 20, 5, 5)).done.outline);
    EXPECT_FALSE(paintFrame(QRectF(20, 20, 5, 4)).done.outline);

    // A corner that could not be converted: cross-hair only.
    Frame none = paintFrame(QRectF(50, 50, 100, 100), false);
    EXPECT_FALSE(none.done.outline);
    EXPECT_TRUE(none.done.crossHair);
}

TEST(OverviewFrame, WindowsColourValues) {
    EXPECT_EQ(OverviewModule::colourOf(0), QColor(0, 0, 0));
    EXPECT_EQ(OverviewModule::colourOf(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(OverviewModule::colourOf(0xFF8000), QColor(0, 0x80, 0xFF));
}

namespace {

// Main maps of 100 km x 100 km at 50 m a pixel; the overview map covers
// 300 km x 300 km at 250 m a pixel around them.
const ModuleTestSupport::MapArea Main{3450000, 5650000, 50.0, 2000, 2000};
const ModuleTestSupport::MapArea Land{3350000, 5750000, 250.0, 1200, 1200};

class OverviewMap : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("VISTREL_INSTANCE_KEY", QByteArray("overview-test-") + QByteArray::number(getpid()));
        const QString karten = medium.path() + "/KARTEN/";
        QDir().mkpath(karten);
        QFile cd(karten + "CD.TXT");
        ASSERT_TRUE(cd.open(QIODevice::WriteOnly));
        cd.write("1\n3501000\n5599000\n");
        cd.close();
        for (const char* name : {"UEB_1600.TLM", "UEB_0250.TLM", "AREA1330.TLM"})
            ASSERT_TRUE(ModuleTestSupport::writeMap(karten + name, Main));
        ASSERT_TRUE(ModuleTestSupport::writeMap(karten + "OV_LAND.TLM", Land));
        ASSERT_TRUE(ModuleTestSupport::writeMap(karten + "ov_cd.tlm", Land));
    }
    // The start-up as the program runs it, the main window shown as main() shows it.
    void start() {
        TAppInitModule::Options options;
        options.places = DataMedium::SearchPlaces{};
        options.places->commandLine = medium.path();
        init = std::make_unique<TAppInitModule>(options);
        ASSERT_TRUE(init->initApp());
        init->basis()->mainWindow()->showMaximized();
        module = MainMapModule::instance();
        ASSERT_NE(module, nullptr);
        overview = OverviewModule::instance();
        ASSERT_NE(overview, nullptr);
        BaseDataPageManager::instance()->showPage(&overview->Page());
        card = overview->Card();
        ASSERT_NE(card, nullptr);
        ASSERT_TRUE(ModuleTestSupport::processUntil([this] { return card->wndOverview->isVisible(); }));
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        delete OverviewModule::instance();
        delete MainMapModule::instance();
        init.reset();
    }
    Coord mainCentre() const {
        Coord c = gk(0, 0);
        EXPECT_TRUE(module->Position(c, TTolmWindow::AlignCenter));
        return c;
    }
    Coord overviewCentre() const {
        Coord c = gk(0, 0);
        EXPECT_TRUE(card->wndOverview->GetCenterPos(c));
        return c;
    }
    // The Gauss-Krüger position under a point of the overview window.
    Coord underOverview(QPoint p) const {
        Coord point{};
        point.type = 0xC001;
        point.x = p.x();
        point.y = p.y();
        Coord c = gk(0, 0);
        EXPECT_TRUE(card->wndOverview->TransformCoords(point, c));
        return c;
    }
    QWidget* overviewClient() const { return card->wndOverview->viewport(); }
    void moveWithButton(QPoint p, Qt::MouseButtons buttons) {
        QMouseEvent move(QEvent::MouseMove, QPointF(p), overviewClient()->mapToGlobal(QPointF(p)), Qt::NoButton,
                         buttons, Qt::NoModifier);
        QApplication::sendEvent(overviewClient(), &move);
    }

    QTemporaryDir medium;
    Platform::ScriptedDialogs dialogs;
    std::unique_ptr<TAppInitModule> init;
    MainMapModule* module = nullptr;
    OverviewModule* overview = nullptr;
    TOverviewTabCard* card = nullptr;
};

} // namespace

TEST_F(OverviewMap, FollowsTheMainMap) {
    start();
    // The map sequence chose the overview of map 1 and its frame colour.
    EXPECT_EQ(overview->OverviewMapFile(), "OV_LAND.TLM");
    EXPECT_TRUE(card->wndOverview->PathName().endsWith("OV_LAND.TLM"));
    EXPECT_EQ(card->FrameColour(), QColor(0, 0, 0));

    // Centred on the main map.
    EXPECT_NEAR(overviewCentre().x, mainCentre().x, Land.metres);
    EXPECT_NEAR(overviewCentre().y, mainCentre().y, Land.metres);

    // The main map moves: the overview follows.
    module->SetCentre(gk(3480000, 5620000), false);
    EXPECT_NEAR(mainCentre().y, 3480000, Main.metres);
    EXPECT_NEAR(overviewCentre().y, 3480000, Land.metres);
    EXPECT_NEAR(overviewCentre().x, 5620000, Land.metres);
    // The corners are read in the main map's coordinates.
    Coord topLeft = gk(0, 0);
    ASSERT_TRUE(module->Position(topLeft, 0));
    EXPECT_NEAR(card->MainCorners()[0].y, topLeft.y, 1.0);
    EXPECT_NEAR(card->MainCorners()[0].x, topLeft.x, 1.0);

    // The frame of the main view is drawn on the overview.
    Coord point{};
    point.type = 0xC001;
    ASSERT_TRUE(card->wndOverview->TransformCoords(card->MainCorners()[0], point));
    Coord right{};
    right.type = 0xC001;
    ASSERT_TRUE(card->wndOverview->TransformCoords(card->MainCorners()[1], right));
    const QImage shot = overviewClient()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint topMiddle(int((point.x + right.x) / 2), int(point.y));
    EXPECT_TRUE(shot.pixel(topMiddle) == qRgb(0, 0, 0)) << "top edge of the frame";

    // Another map of the sequence: its overview map.
    module->Sequence().SelectMap(3);
    EXPECT_TRUE(card->wndOverview->PathName().endsWith("ov_cd.tlm", Qt::CaseInsensitive));
}

TEST_F(OverviewMap, DragMovesTheMainMap) {
    start();
    const QPoint middle(overviewClient()->width() / 2, overviewClient()->height() / 2);

    // Press: the main map centres on the place under the cursor; the overview
    // re-centres, and the cursor follows that place.
    const QPoint press = middle + QPoint(30, 20);
    const Coord pressed = underOverview(press);
    QCursor::setPos(overviewClient()->mapToGlobal(press));
    const QPoint cursorBefore = QCursor::pos();
    QTest::mousePress(overviewClient(), Qt::LeftButton, Qt::NoModifier, press);
    EXPECT_NEAR(mainCentre().y, pressed.y, Main.metres);
    EXPECT_NEAR(mainCentre().x, pressed.x, Main.metres);
    EXPECT_NEAR(overviewCentre().y, pressed.y, Land.metres);
    if (QCursor::pos() != cursorBefore) { // only where the platform can move the cursor
        EXPECT_NEAR(QCursor::pos().x() - cursorBefore.x(), -30, 1);
        EXPECT_NEAR(QCursor::pos().y() - cursorBefore.y(), -20, 1);
    }

    // Dragged past the left edge: the position counts as x = 0, the main
    // map centres on the overview's left edge.
    const Coord leftEdge = underOverview(QPoint(0, middle.y()));
    moveWithButton(QPoint(-40, middle.y()), Qt::LeftButton);
    EXPECT_NEAR(mainCentre().y, leftEdge.y, Main.metres);
    EXPECT_NEAR(mainCentre().x, leftEdge.x, Main.metres);

    // The button came up outside without the overview seeing it: the next
    // move without a button ends the drag, and later moves do nothing.
    moveWithButton(middle, Qt::NoButton);
    const Coord after = mainCentre();
    moveWithButton(middle + QPoint(25, 0), Qt::LeftButton);
    EXPECT_NEAR(mainCentre().y, after.y, 1e-6);
    EXPECT_NEAR(mainCentre().x, after.x, 1e-6);
}
