// The points of interest: the source over TopInfo.HDB, their map layer, and
// the page "Tourist-Info" in the started program.
#include "TopInfoDataSource.h"
#include "TopInfoFrame.h"
#include "TopInfoLayer.h"
#include "TopInfoModule.h"

#include "AppInitModule.h"
#include "AppResources.h"
#include "Cp1252.h"
#include "HDBFormat.h"
#include "HDBWriter.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "MapSequence.h"
#include "ModulBasis.h"
#include "PatternMap.h"
#include "ScriptedDialogs.h"
#include "TolmWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <unistd.h>

namespace {

struct Poi {
    std::string category; // "1" … "6"
    QString name;
    QString street{}, plzOrt{}, vorwahl{}, telefon{}, fax{}, email{};
    double northing = 0, easting = 0;
};

// Writes `directory`/TopInfo.HDB in the medium's layout and code word.
bool writeTable(const QString& directory, const std::vector<Poi>& pois) {
    QDir().mkpath(directory);
    HDBWriter w({{"KATEGORIE", HDBFormat::TypeText, 1, 0},
                 {"NAME", HDBFormat::TypeText, 60, 0},
                 {"STRASSE", HDBFormat::TypeText, 40, 0},
                 {"PLZORT", HDBFormat::TypeText, 40, 0},
                 {"VORWAHL", HDBFormat::TypeText, 8, 0},
                 {"TELEFON", HDBFormat::TypeText, 12, 0},
                 {"FAX", HDBFormat::TypeText, 12, 0},
                 {"EMAIL", HDBFormat::TypeText, 50, 0},
                 {"X", HDBFormat::TypeNumber, 10, 1},
                 {"Y", HDBFormat::TypeNumber, 10, 1}},
                "Kennmark");
    for (const Poi& p : pois)
        if (!w.addRecord({p.category, Cp1252::encode(p.name), Cp1252::encode(p.street), Cp1252::encode(p.plzOrt),
                          Cp1252::encode(p.vorwahl), Cp1252::encode(p.telefon), Cp1252::encode(p.fax),
                          Cp1252::encode(p.email), std::round(p.northing * 10) / 10, std::round(p.easting * 10) / 10}))
            return false;
    return w.write(QDir(directory).filePath("TopInfo.HDB").toStdString());
}

// Thirty sights and eleven youth hostels, so that the first museum is record 42.
std::vector<Poi> fillers(double northing, double easting) {
    std::vector<Poi> pois;
    for (int i = 0; i < 41; ++i)
        pois.push_back({i < 30 ? "1" : "2", QString("Filler %1").arg(i, 2, 10, QChar('0'))});
    for (Poi& p : pois)
        std::tie(p.northing, p.easting) = std::pair(northing, easting);
    return pois;
}

} // namespace

TEST(TopInfoSource, KeysShortInfoRangesAndBadFiles) {
    QTemporaryDir dir;
    std::vector<Poi> pois = fillers(5599000, 3501000);
    pois.push_back({"3", "Aachener Museum", "", " 55116 Mainz ", "", "", "", " info@x.example ", 5599010, 3501020});
    pois.push_back({"3", "Bergbaumuseum  ", "Zechenweg 1", "55118 Mainz", "", "123456", "654321", ""});
    pois.push_back(
        {"3", "Café-Museum", " Große Bleiche 5 ", "55116 Mainz", " 06131 ", " 2345 ", "2346", "c@x.example"});
    pois.push_back({"4", "  Burg Äpfelstein "});
    ASSERT_TRUE(writeTable(dir.filePath("good"), pois));
    TopInfoDataSource_HDB16 source(dir.filePath("good"), "TopInfo", "Kennmark");
    ASSERT_EQ(source.recordCount(), 45);

    // Record 42 is the first of category 3: key 30000000042.
    auto first = source.rangeIterator("3");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->infoFileName(), "30000000042.html");
    const QString mail = QString("E-Mail:") + QChar(0xA0);
    const struct {
        const char *key, *name;
        QString shortInfo;
    } elements[] = {
        {"30000000042", "Aachener Museum", "55116 Mainz\r\n" + mail + "info@x.example"}, // PLZORT + EMAIL
        {"30000000043", "Bergbaumuseum", "Zechenweg 1\r\n55118 Mainz"}, // no VORWAHL: no telephone, no fax
        {"30000000044", "Café-Museum",
         "Große Bleiche 5\r\n55116 Mainz\r\nTelefon: 06131/2345\r\nFax: 06131/2346\r\n" + mail + "c@x.example"},
        {"40000000045", "Burg Äpfelstein", ""},
        {"39999999999", "", ""}, // no such record: a zeroed one
    };
    for (const auto& e : elements) {
        auto it = source.rangeIterator(e.key);
        ASSERT_TRUE(it) << e.key;
        EXPECT_EQ(it->name(), QString::fromUtf8(e.name)) << e.key;
        EXPECT_EQ(it->shortInfo(), e.shortInfo) << e.key;
        EXPECT_FALSE(it->next()) << e.key << ": an element key's range is that one element";
    }
    Coord position{};
    ASSERT_TRUE(source.rangeIterator("30000000042")->position(position));
    EXPECT_EQ(std::tuple(position.type, position.x, position.y), std::tuple(1u, 5599010.0, 3501020.0))
        << "northing from X, easting from Y";

    // The empty key: the six categories, without positions. A category: its
    // consecutive records and nothing of the next; none when it is empty.
    auto categories = source.rangeIterator("  ");
    ASSERT_TRUE(categories);
    QStringList names;
    do {
        names << categories->key() + "=" + categories->name();
        EXPECT_FALSE(categories->position(position));
    } while (categories->next());
    EXPECT_EQ(names, QStringList({"1=Sehenswürdigkeiten", "2=Jugendherbergen", "3=Museen", "4=Burgen + Schlösser",
                                  "5=bewirtschaftete Hütten", "6=Campingplätze"}));
    QStringList museums{first->key()};
    while (first->next())
        museums << first->key();
    EXPECT_EQ(museums, QStringList({"30000000042", "30000000043", "30000000044"}));
    EXPECT_FALSE(source.rangeIterator("5"));
    EXPECT_FALSE(source.rangeIterator("9"));

    // No file, or a damaged one: no elements, the fixed categories only.
    QFile damaged(dir.filePath("TopInfo.HDB"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly) && damaged.write("HDB\x1a garbage, no table") > 0);
    damaged.close();
    for (const QString& bad : {dir.filePath("none"), dir.path()}) {
        TopInfoDataSource_HDB16 empty(bad, "TopInfo", "Kennmark");
        EXPECT_FALSE(empty.rangeIterator("3")) << bad.toStdString();
        EXPECT_FALSE(empty.rangeIterator("30000000001")) << bad.toStdString();
        EXPECT_TRUE(empty.rangeIterator("")) << bad.toStdString();
    }
}

namespace {

// Window pixel = metres east of 3 500 000 and south of 5 600 000.
class FlatInfo : public MapEventInfo {
public:
    bool screen = true;
    FlatInfo(int x = 0, int y = 0, bool doubleClick = false) {
        position = {0xC001, 0, double(x), double(y)};
        this->doubleClick = doubleClick;
    }
    bool Transform(const Coord& from, Coord& to) const override {
        to.x = from.y - 3500000;
        to.y = 5600000 - from.x;
        return from.type == 1 && to.type == 0xC001;
    }
    bool IsScreen() const override { return screen; }
};

// The selection of a page showing category 3.
class Selection : public TopInfoSelection {
public:
    TopInfoDataSource* source = nullptr;
    QString element;
    QStringList selected;
    TopInfoDataSource* DataSource() const override { return source; }
    QString CategoryKeyInUse() const override { return "3"; }
    QString SelectedElementKey() const override { return element; }
    void SelectByKey(const QString& key) override { selected << key; }
};

int inked(const QImage& image, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.rect().contains(x, y) && image.pixel(x, y) != qRgb(255, 255, 255);
    return n;
}

Poi at(const char* category, const char* name, int x, int y) {
    return {category, name, "", "", "", "", "", "", 5600000.0 - y, 3500000.0 + x};
}

} // namespace

TEST(TopInfoLayer, DrawingFarAwayLimitHintsClicksAndPrinting) {
    QTemporaryDir dir;
    ASSERT_TRUE(writeTable(dir.path(), {at("1", "Aussichtsturm", 20, 20), at("3", "Museum A", 100, 50),
                                        at("3", "Museum B", 110, 55), at("3", "Museum Fern", 40100, 50)}));
    TopInfoDataSource_HDB16 source(dir.path(), "TopInfo", "Kennmark");
    Selection selection;
    selection.source = &source;
    TopInfoClickableLayer layer(&selection);
    layer.AddPainter("1", std::make_unique<TopInfoBitmapCatPainter>(&selection, "Modul_TopInfo_Sehensw"));
    layer.AddPainter("3", std::make_unique<TopInfoBitmapCatPainter>(&selection, "Modul_TopInfo_Museum"));
    const QRect bitmap(QPoint(), AppResources::bitmap("Modul_TopInfo_Museum").size());
    ASSERT_FALSE(bitmap.isEmpty());
    QImage image;
    // Paints on a white picture of 200 × 100 pixels; the clickable objects' keys.
    const auto paint = [&](bool screen = true, int dpi = 96) {
        image = QImage(200, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setDotsPerMeterX(int(dpi / 0.0254));
        image.setDotsPerMeterY(int(dpi / 0.0254));
        QPainter painter(&image);
        FlatInfo info;
        info.canvas = &painter;
        info.screen = screen;
        layer.Paint(info);
        QStringList keys;
        for (const auto& o : layer.Objects())
            keys << static_cast<TopInfoFrameClickableObject*>(o.get())->Key();
        return keys;
    };
    const auto rect = [&](int i) -> const TopInfoClickableRect& {
        return static_cast<const TopInfoClickableRect&>(*layer.Objects().at(std::size_t(i)));
    };

    // Mode 2: the category's pictures centred on their places; the one
    // 40 000 pixels away is neither drawn nor clickable.
    layer.SetMode(2);
    ASSERT_EQ(paint(), QStringList({"30000000002", "30000000003"}));
    EXPECT_EQ(QRect(QPoint(rect(0).left, rect(0).top), QPoint(rect(0).right - 1, rect(0).bottom - 1)),
              bitmap.translated(100 - bitmap.width() / 2, 50 - bitmap.height() / 2));
    EXPECT_GT(inked(image, bitmap.translated(rect(0).left, rect(0).top)), 0);
    EXPECT_EQ(inked(image, bitmap.translated(20 - bitmap.width() / 2, 20 - bitmap.height() / 2)), 0)
        << "other categories are not drawn";
    // Mode 1: only the selected element, unless it lies far away.
    layer.SetMode(1);
    selection.element = "30000000003";
    EXPECT_EQ(paint(), QStringList({"30000000003"}));
    selection.element = "30000000004";
    EXPECT_TRUE(paint().isEmpty());

    // The selected element is drawn once more on top, framed in red; where
    // A and B overlap the picture drawn last answers.
    layer.SetMode(2);
    for (const auto& [element, name, key] :
         {std::tuple("30000000002", "Museum A", "30000000002"), std::tuple("", "Museum B", "30000000003")}) {
        selection.element = element;
        paint();
        QString hint;
        FlatInfo overlap(105, 52);
        ASSERT_TRUE(layer.ObjectUnderPoint(overlap, hint));
        EXPECT_EQ(hint, name);
        ASSERT_TRUE(layer.Click(overlap));
        EXPECT_EQ(selection.selected.last(), key);
    }
    selection.element = "30000000002";
    ASSERT_EQ(paint(), QStringList({"30000000002", "30000000003", "30000000002"}));
    EXPECT_EQ(image.pixel(rect(2).left - 2, rect(2).top - 2), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(rect(2).right + 1, rect(2).bottom + 1), qRgb(255, 0, 0));
    // Right and bottom edges are outside; a double click and a click on
    // nothing select nothing.
    QString hint;
    FlatInfo edge(rect(1).right, rect(1).top), nothing(5, 95), doubleClick(105, 52, true);
    EXPECT_FALSE(layer.ObjectUnderPoint(edge, hint));
    EXPECT_FALSE(layer.Click(nothing) || layer.Click(doubleClick));
    EXPECT_EQ(selection.selected.size(), 2);

    // A print draws pictures scaled to the printer and keeps the screen's objects.
    const QStringList screen = paint();
    EXPECT_EQ(paint(false, 96), screen);
    const int plain = inked(image, image.rect());
    EXPECT_EQ(paint(false, 200), screen);
    EXPECT_GT(inked(image, image.rect()), 3 * plain) << "twice as wide and high";

    // The painter of an element: the greatest key not greater than its own
    // that begins it.
    auto* threeOne = new TopInfoBitmapCatPainter(&selection, "Modul_TopInfo_Museum");
    layer.AddPainter("31", std::unique_ptr<TopInfoCatPainter>(threeOne));
    EXPECT_EQ(layer.PainterFor("31000000001"), threeOne);
    EXPECT_NE(layer.PainterFor("30000000042"), nullptr);
    EXPECT_NE(layer.PainterFor("30000000042"), threeOne);
    EXPECT_EQ(layer.PainterFor("40000000001"), nullptr) << "\"31\" does not begin it";
}

namespace {

void typeInto(QWidget* edit, const QString& text) {
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(edit, &release);
    }
}

void writeText(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// Paints the map's listeners on a picture of the window's size.
void paintMap() {
    TTolmWindow* window = MainMapModule::instance()->Window();
    QImage image(window->viewport()->size(), QImage::Format_RGB32);
    QPainter painter(&image);
    TPaintRecord record;
    record.painter = &painter;
    record.rcPaint = image.rect();
    MapEvents::DispatchPaint(*window, record);
}

// The program started on a data medium, its main window shown, the page
// "Tourist-Info" in front.
class StartedProgram {
public:
    explicit StartedProgram(const QString& medium) {
        qputenv("VISTREL_INSTANCE_KEY", QByteArray("topinfo-test-") + QByteArray::number(getpid()));
        TAppInitModule::Options options;
        options.places = DataMedium::SearchPlaces{};
        options.places->commandLine = medium;
        init = std::make_unique<TAppInitModule>(options);
        if (!init->initApp() || !TopInfoModule::instance())
            return;
        init->basis()->mainWindow()->resize(1000, 700);
        init->basis()->mainWindow()->show();
        BaseDataPageManager::instance()->showPage(&TopInfoModule::instance()->Page());
        frame = TopInfoModule::instance()->Frame();
    }
    ~StartedProgram() {
        delete TopInfoModule::instance();
        delete MainMapModule::instance();
    }
    Platform::ScriptedDialogs dialogs;
    std::unique_ptr<TAppInitModule> init;
    TTopInfoFrame* frame = nullptr;
};

// A medium of three pattern maps and six museums from record 42 on.
class TouristInfoPage : public ::testing::Test {
protected:
    void SetUp() override {
        const QString karten = medium.path() + "/KARTEN/";
        QDir().mkpath(karten);
        writeText(karten + "CD.TXT", "2\n3501000\n5599000\n");
        const PatternMapArea land{3470000, 5630000, 50.0, 1200, 1200};
        ASSERT_TRUE(writePatternMap(karten + "UEB_1600.TLM", land));
        ASSERT_TRUE(writePatternMap(karten + "UEB_0250.TLM", land));
        ASSERT_TRUE(writePatternMap(karten + "AREA2330.TLM", {3500300, 5599700, 1.0, 1500, 1500}));
        std::vector<Poi> pois = fillers(5599000, 3500900);
        // In byte order of their names; 60 m apart from east 3 501 000 on.
        for (const char* name : {"Aachener Museum", "MAINZER Landesmuseum", "Maintal-Museum", "Mühlenmuseum",
                                 "Zollhaus", "mainzer Kunsthalle"})
            pois.push_back(
                {"3", name, "", "55116 Mainz", "", "", "", "", 5599000, 3501000.0 + 60 * (pois.size() - 41)});
        const QString daten = medium.path() + "/DATEN/";
        ASSERT_TRUE(writeTable(daten, pois));
        QDir().mkpath(daten + "INFO");
        writeText(daten + "INFO/30000000042.html", "<html><body><h1>Aachener Museum</h1></body></html>");
        writeText(daten + "INFO/1.html", "<html><body>Sehenswertes</body></html>");
        writeText(daten + "INFO/NoInfo.html", "<html><body>Keine Information</body></html>");
        program = std::make_unique<StartedProgram>(medium.path());
        frame = program->frame;
        ASSERT_NE(frame, nullptr);
        Modul::Kartenfolge::SelectMap(3);
    }
    // The selected entry's key, or its text.
    QString current(int role = Qt::UserRole) {
        const auto selected = frame->lstElements->selectedItems();
        return selected.isEmpty() ? QString() : selected.first()->data(role).toString();
    }
    void search(const QString& text) {
        frame->sleSearch->clear();
        typeInto(frame->sleSearch, text);
    }
    double mapEasting() {
        Coord c{1, 3};
        MainMapModule::instance()->Position(c, TTolmWindow::AlignCenter);
        return c.y;
    }

    QTemporaryDir medium;
    std::unique_ptr<StartedProgram> program;
    TTopInfoFrame* frame = nullptr;
};

} // namespace

TEST_F(TouristInfoPage, PicturesOnTheMapAndAClickOnOne) {
    // The first category, nothing selected, its 30 pictures on the map.
    EXPECT_EQ(frame->cmbCategory->count(), 6);
    EXPECT_EQ(frame->lstElements->count(), 30);
    EXPECT_TRUE(current().isEmpty());
    paintMap();
    EXPECT_EQ(frame->Layer().Objects().size(), 30u);
    // chkShow off removes every picture; on restores the chosen mode.
    for (const std::size_t pictures : {0u, 30u}) {
        frame->chkShow->click();
        paintMap();
        EXPECT_EQ(frame->Layer().Objects().size(), pictures);
    }
    // Choosing what to show switches the pictures on again.
    frame->chkShow->click();
    frame->cmbShow->setCurrentIndex(2);
    emit frame->cmbShow->activated(2);
    EXPECT_TRUE(frame->chkShow->isChecked());
    paintMap();
    EXPECT_EQ(frame->Layer().Objects().size(), 47u) << "every element of every category";

    // A click on a museum's picture, another page in front: the page comes
    // to the front with the museum's category and the museum selected.
    DataPageInfo other(false, "Andere", [](QWidget* owner) { return new QLabel("andere", owner); });
    BaseDataPageManager::instance()->addPage(&other);
    BaseDataPageManager::instance()->showPage(&other);
    ASSERT_FALSE(frame->isVisible());
    const TopInfoClickableRect* museum = nullptr;
    for (const auto& o : frame->Layer().Objects())
        if (auto* r = static_cast<const TopInfoClickableRect*>(o.get()); r->Key() == "30000000044")
            museum = r;
    ASSERT_NE(museum, nullptr);
    MapEventInfo click;
    click.position.type = 0xC001;
    click.position.x = (museum->left + museum->right) / 2;
    click.position.y = (museum->top + museum->bottom) / 2;
    QString hint;
    ASSERT_TRUE(frame->Layer().ObjectUnderPoint(click, hint));
    EXPECT_EQ(hint, "Maintal-Museum");
    ASSERT_TRUE(frame->Layer().Click(click));
    EXPECT_EQ(frame->cmbCategory->currentText(), "Museen");
    EXPECT_EQ(frame->lstElements->count(), 6);
    EXPECT_EQ(current(), "30000000044");
    EXPECT_TRUE(frame->isVisible());
    BaseDataPageManager::instance()->setTabVisible(&other, false);
}

TEST_F(TouristInfoPage, SearchCentringAndInformation) {
    frame->cmbCategory->setCurrentIndex(2); // Museen, sorted without regard to case
    QStringList names;
    for (int i = 0; i < frame->lstElements->count(); ++i)
        names << frame->lstElements->item(i)->text();
    EXPECT_EQ(names, QStringList({"Aachener Museum", "Maintal-Museum", "mainzer Kunsthalle", "MAINZER Landesmuseum",
                                  "Mühlenmuseum", "Zollhaus"}));

    // The incremental search selects like the capitals; beyond every name: the last.
    const std::pair<const char*, const char*> searches[] = {
        {"mai", "Maintal-Museum"}, {"MAI", "Maintal-Museum"}, {"mainzer l", "MAINZER Landesmuseum"},
        {"mü", "Mühlenmuseum"},    {"zz", "Zollhaus"},
    };
    for (const auto& [typed, found] : searches) {
        search(QString::fromUtf8(typed));
        EXPECT_EQ(current(Qt::DisplayRole), QString::fromUtf8(found)) << typed;
    }
    EXPECT_NEAR(mapEasting(), 3501240, 2.0) << "centred on the selection automatically";
    search("mainzer l");
    EXPECT_EQ(frame->mleShortInfo->toPlainText(), "55116 Mainz");

    // Without automatic centring the button centres; a click on the
    // selected entry centres again.
    frame->chkAutoCenter->setChecked(false);
    search("aa");
    EXPECT_EQ(current(), "30000000042");
    EXPECT_NEAR(mapEasting(), 3501060, 2.0) << "not moved";
    frame->btnCenter->click();
    EXPECT_NEAR(mapEasting(), 3501000, 2.0);
    frame->chkAutoCenter->setChecked(true);
    Coord away{1, 0, 5599000, 3501300};
    MainMapModule::instance()->SetCentre(away, false);
    const QPoint item = frame->lstElements->visualItemRect(frame->lstElements->selectedItems().first()).center();
    QTest::mouseClick(frame->lstElements->viewport(), Qt::LeftButton, {}, item);
    EXPECT_NEAR(mapEasting(), 3501000, 2.0);

    // The information page replaces the map; "NoInfo.html" where an element,
    // or with none selected its category, has no page.
    frame->radShowInfo->click();
    TTopInfoBrowser* browser = TopInfoModule::instance()->Browser();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->isVisible());
    EXPECT_TRUE(browser->toPlainText().contains("Aachener Museum"));
    search("zo");
    EXPECT_EQ(browser->source().fileName(), "NoInfo.html");
    EXPECT_TRUE(browser->toPlainText().contains("Keine Information"));
    frame->cmbCategory->setCurrentIndex(0);
    EXPECT_EQ(browser->source().fileName(), "1.html");
    frame->cmbCategory->setCurrentIndex(4);
    EXPECT_EQ(browser->source().fileName(), "NoInfo.html");
    frame->radShowMap->click();
    EXPECT_FALSE(browser->isVisible());
    EXPECT_TRUE(MainMapModule::instance()->Window()->isVisible());
}

// The demo medium's own points of interest reach the page and the map.
TEST(TouristInfoOnDemoMedium, ListsAndDrawsTheMediumsPoints) {
    StartedProgram program(QStringLiteral(VISTREL_TEST_MEDIUM_DIR));
    ASSERT_NE(program.frame, nullptr);
    EXPECT_TRUE(program.dialogs.messages.isEmpty());
    EXPECT_EQ(program.frame->cmbCategory->count(), 6);
    int elements = 0;
    for (int c = 0; c < 6; ++c) {
        program.frame->cmbCategory->setCurrentIndex(c);
        elements += program.frame->lstElements->count();
    }
    EXPECT_GT(elements, 0);
    program.frame->cmbShow->setCurrentIndex(2);
    emit program.frame->cmbShow->activated(2);
    paintMap();
    EXPECT_FALSE(program.frame->Layer().Objects().empty()) << "pictures on the start-up map";
}
