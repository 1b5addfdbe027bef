// Searching the place tables (capitals in Windows-1252, both spellings of
// the sharp s), and the page "Gemeinden" as the program starts it: the grid
// over both tables, switching the order, jumping the map with its marker.
#include "PlaceSearch.h"
#include "PlaceSearchKey.h"

#include "AppInitModule.h"
#include "HDBFormat.h"
#include "HDBWriter.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "MapSequence.h"
#include "ModulBasis.h"
#include "PatternMap.h"
#include "ScriptedDialogs.h"
#include "THDBDataSet.h"
#include "TolmWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineF>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

struct Place {
    std::string ort, teil; // 8-bit, in capitals as stored
    double easting = 0, northing = 0;
};

// WOPLA1 ordered by municipality and WOPLA2 by municipality part (the writer
// sorts by the first field), each record naming the same place's record
// number in the other table.
bool writeTables(const QString& directory, const std::vector<Place>& places) {
    QDir().mkpath(directory);
    const auto write = [&](const char* name, bool partFirst) {
        const auto key = [&](std::size_t i, bool teilFirst) {
            return teilFirst ? places[i].teil + '\n' + places[i].ort : places[i].ort + '\n' + places[i].teil;
        };
        const HDBFieldDef ort{"ORT", HDBFormat::TypeText, 40, 0}, teil{"ORTS_TEIL", HDBFormat::TypeText, 40, 0};
        HDBWriter w({partFirst ? teil : ort,
                     partFirst ? ort : teil,
                     {"RELATION", HDBFormat::TypeNumber, 7, 0},
                     {"R_WERT", HDBFormat::TypeNumber, 10, 1},
                     {"H_WERT", HDBFormat::TypeNumber, 10, 1}},
                    "Kennmark");
        for (std::size_t i = 0; i < places.size(); ++i) {
            std::int64_t relation = 1; // the place's record number in the other table
            for (std::size_t j = 0; j < places.size(); ++j)
                relation += key(j, !partFirst) < key(i, !partFirst);
            if (!w.addRecord({partFirst ? places[i].teil : places[i].ort, partFirst ? places[i].ort : places[i].teil,
                              relation, places[i].easting, places[i].northing}))
                return false;
        }
        return w.write(QDir(directory).filePath(name).toStdString());
    };
    return write("WOPLA1.HDB", false) && write("WOPLA2.HDB", true);
}

} // namespace

TEST(PlaceSearchKey, CapitalsAndTheSharpS) {
    const std::tuple<const char*, bool, const char*> keys[] = {
        {"Mühlheim", false, "M\xDCHLHEIM"}, {"äöü ÄÖÜ", false, "\xC4\xD6\xDC \xC4\xD6\xDC"},
        {"weiß", false, "WEI\xDF"},         {"weiß", true, "WEISS"},
        {"ÿ-é", false, "\x9F-\xC9"},        {"Ł", false, "?"}, // outside the code page
    };
    for (const auto& [text, sharpSAsSS, key] : keys)
        EXPECT_EQ(PlaceSearchKey::upperKey(QString::fromUtf8(text), sharpSAsSS), key) << text;

    // One table keeps "ß" among its capitals, as a letter-by-letter
    // upper-casing leaves it; the other spells it "SS". Both are found.
    QTemporaryDir dir;
    ASSERT_TRUE(writeTables(dir.filePath("kept"), {{"MUNSTER", "MUNSTER"},
                                                   {"WEI\xDF"
                                                    "ENBURG",
                                                    "A"},
                                                   {"WEISSACH", "B"}}));
    ASSERT_TRUE(writeTables(dir.filePath("doubled"), {{"STRASSENHAUS", "A"}, {"STRAUBING", "B"}}));
    THDBDataSet kept, doubled;
    for (const auto& [table, path] : {std::pair(&kept, "kept"), std::pair(&doubled, "doubled")}) {
        table->setPathName(dir.filePath(QString(path) + "/WOPLA1.HDB"));
        table->setCodeword("Kennmark");
        table->open();
    }
    auto ort = [](THDBDataSet& table) { return table.fieldValue("ORT").toString().trimmed(); };
    EXPECT_TRUE(PlaceSearchKey::findPlace(kept, "weiß"));
    EXPECT_EQ(ort(kept), "WEIßENBURG");
    EXPECT_TRUE(PlaceSearchKey::findPlace(kept, "weiss"));
    EXPECT_EQ(ort(kept), "WEISSACH");
    EXPECT_TRUE(PlaceSearchKey::findPlace(doubled, "straß"));
    EXPECT_EQ(ort(doubled), "STRASSENHAUS");
    // A text between names: the next place, but no place of that beginning;
    // nothing typed: the table stays where it is.
    EXPECT_FALSE(PlaceSearchKey::findPlace(kept, "mb"));
    EXPECT_FALSE(PlaceSearchKey::findPlace(kept, ""));
    EXPECT_EQ(ort(kept), "MUNSTER");
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

// A medium of three pattern maps, the region map in the middle of the last.
class PlacePage : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("VISTREL_INSTANCE_KEY", QByteArray("places-test-") + QByteArray::number(getpid()));
        const QString karten = medium.path() + "/KARTEN/";
        QDir().mkpath(karten);
        QFile cd(karten + "CD.TXT");
        ASSERT_TRUE(cd.open(QIODevice::WriteOnly) && cd.write("2\n3501000\n5599000\n") > 0);
        cd.close();
        const PatternMapArea land{3470000, 5630000, 50.0, 1200, 1200};
        ASSERT_TRUE(writePatternMap(karten + "UEB_1600.TLM", land));
        ASSERT_TRUE(writePatternMap(karten + "UEB_0250.TLM", land));
        ASSERT_TRUE(writePatternMap(karten + "AREA2330.TLM", {3500300, 5599700, 1.0, 1500, 1500}));
        ASSERT_TRUE(writeTables(medium.path() + "/DATEN", {
                                                              {"ALZEY", "ALZEY", 3490000, 5610000}, // overviews only
                                                              {"MAINZ", "BRETZENHEIM", 3501100, 5599100},
                                                              {"MAINZ", "MAINZ", 3501200, 5599200},
                                                              {"MAINTAL", "D\xD6RNIGHEIM", 3501300, 5598900},
                                                              {"M\xDCHLHEIM", "DIETESHEIM", 3501400, 5598800},
                                                              {"MUNSTER", "MUNSTER", 3501500, 5598700},
                                                              {"FERNDORF", "FERNDORF", 3900000, 5000000}, // no map
                                                          }));
        TAppInitModule::Options options;
        options.places = DataMedium::SearchPlaces{};
        options.places->commandLine = medium.path();
        init = std::make_unique<TAppInitModule>(options);
        ASSERT_TRUE(init->initApp());
        init->basis()->mainWindow()->resize(1000, 700);
        init->basis()->mainWindow()->show();
        module = PlaceSearchModule::instance();
        ASSERT_NE(module, nullptr);
        Modul::Kartenfolge::SelectMap(3);
        BaseDataPageManager::instance()->showPage(&module->Page());
        card = module->Card();
        ASSERT_NE(card, nullptr);
    }
    void TearDown() override {
        delete PlaceSearchModule::instance();
        delete MainMapModule::instance();
    }
    QString shown(const char* field) { return card->Current()->fieldValue(field).toString().trimmed(); }
    QString gridText(int column) {
        return card->DBGrid1->model()->index(card->DBGrid1->currentIndex().row(), column).data().toString();
    }
    QPointF mapCentre() {
        Coord c{1, 3};
        MainMapModule::instance()->Position(c, TTolmWindow::AlignCenter);
        return {c.y, c.x};
    }
    void search(const QString& text) {
        card->SearchSubFrame1->sleSearch->clear();
        typeInto(card->SearchSubFrame1->sleSearch, text);
    }

    QTemporaryDir medium;
    Platform::ScriptedDialogs dialogs;
    std::unique_ptr<TAppInitModule> init;
    PlaceSearchModule* module = nullptr;
    TOrteTabCard* card = nullptr;
};

} // namespace

TEST_F(PlacePage, GridSearchOrderAndControls) {
    QTableView* grid = card->DBGrid1;
    EXPECT_EQ(grid->model()->rowCount(), 7);
    EXPECT_GE(grid->y(), card->SearchSubFrame1->mapTo(card, QPoint(0, card->SearchSubFrame1->height())).y())
        << "the search line shows above the grid";

    // "mai" positions the grid like "MAI"; "mü" finds MÜHLHEIM, not MUNSTER;
    // an empty search, or one beyond every name, leaves the grid where it was.
    const std::pair<const char*, const char*> searches[] = {
        {"mai", "MAINTAL"}, {"MAI", "MAINTAL"}, {"mü", "MÜHLHEIM"}, {"", "MÜHLHEIM"}, {"zz", "MÜHLHEIM"}};
    for (const auto& [typed, found] : searches) {
        search(QString::fromUtf8(typed));
        EXPECT_EQ(shown("ORT"), QString::fromUtf8(found)) << typed;
        EXPECT_EQ(gridText(0), QString::fromUtf8(found)) << typed << ": the grid follows";
    }
    // Arrow keys in the grid move the table with them.
    search("mainta");
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(shown("ORTS_TEIL"), "BRETZENHEIM");

    // The other order keeps the place and the columns; and back again.
    card->SearchSubFrame1->cmbCategory->setCurrentIndex(1);
    EXPECT_EQ(card->Current(), card->tblWOPLA2);
    EXPECT_EQ(shown("ORTS_TEIL"), "BRETZENHEIM");
    EXPECT_EQ(gridText(0) + "/" + gridText(1), "MAINZ/BRETZENHEIM");
    search("di");
    card->SearchSubFrame1->cmbCategory->setCurrentIndex(0);
    EXPECT_EQ(card->Current(), card->tblWOPLA1);
    EXPECT_EQ(shown("ORT") + "/" + shown("ORTS_TEIL"), "MÜHLHEIM/DIETESHEIM");

    // Controls of other modules go below the search, across the panel.
    auto* extra = new QLabel("Grenzen");
    module->AddControl(extra);
    EXPECT_EQ(extra->parentWidget(), card->ControlPanel);
    EXPECT_EQ(extra->y(), card->SearchSubFrame1->geometry().bottom() + 1 + 8);
    EXPECT_GE(card->ControlPanel->minimumHeight(), extra->geometry().bottom() + 1);
    card->ControlPanel->resize(card->ControlPanel->width() + 40, card->ControlPanel->height());
    EXPECT_EQ(extra->width(), card->ControlPanel->width() - 2);
    // The columns share the grid's width.
    EXPECT_NEAR(grid->columnWidth(0) + grid->columnWidth(1), grid->viewport()->width(), 1);
}

TEST_F(PlacePage, JumpCentresAndFlashesTheMarker) {
    std::vector<QString> chosen;
    module->AddPlaceChosenListener(
        [&](THDBDataSet* table) { chosen.push_back(table->fieldValue("ORTS_TEIL").toString().trimmed()); });
    module->AddPlaceChosenListener([&](THDBDataSet*) { chosen.push_back("second"); });
    // The second place of MAINZ picked in the grid, Enter in the search field.
    search("mainz");
    const QModelIndex next = card->DBGrid1->model()->index(card->Current()->recNo(), 0);
    QTest::mouseClick(card->DBGrid1->viewport(), Qt::LeftButton, {}, card->DBGrid1->visualRect(next).center());
    ASSERT_EQ(shown("ORTS_TEIL"), "MAINZ");
    QTest::keyClick(card->SearchSubFrame1->sleSearch, Qt::Key_Return);
    EXPECT_EQ(chosen, (std::vector<QString>{"MAINZ", "second"}));
    EXPECT_NEAR(mapCentre().x(), 3501200, 2.0);
    EXPECT_NEAR(mapCentre().y(), 5599200, 2.0);
    TimedPointPainter& marker = module->Marker();
    EXPECT_TRUE(marker.Visible() && marker.Timer().isActive());
    EXPECT_EQ(QPointF(marker.Position().y, marker.Position().x), QPointF(3501200, 5599200));
    EXPECT_TRUE(MainMapModule::instance()->Listeners().Contains(&marker));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    marker.Hide();

    // A place outside every map: asked, then told; the map stays; the
    // listeners hear of it all the same.
    search("fern");
    const QPointF before = mapCentre();
    EXPECT_FALSE(card->JumpToPlace());
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[0].caption, "Ort anspringen");
    EXPECT_TRUE(dialogs.messages[0].text.contains("Wollen Sie ihn auf einer anderen Karte sehen?"));
    EXPECT_EQ(dialogs.messages[1].text, "Dieser Ort scheint in keiner Karte enthalten zu sein. Sorry!");
    EXPECT_FALSE(marker.Visible());
    Modul::Kartenfolge::SelectMap(3);
    EXPECT_NEAR(QLineF(mapCentre(), before).length(), 0, 2.0);
    EXPECT_EQ(chosen.size(), 4u);

    // A place on an overview only: after a yes, shown there.
    dialogs.messages.clear();
    search("alz");
    ASSERT_TRUE(card->JumpToPlace());
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(Modul::Kartenfolge::CurrentMapNumber(), 2);
    EXPECT_NEAR(mapCentre().x(), 3490000, 60.0);
    EXPECT_TRUE(marker.Visible());
}
