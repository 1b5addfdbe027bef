// The page "Gemeinden" as the program starts it: the grid over both tables,
// the search, switching the order, jumping the map with its marker, a place
// outside every map, and controls of other modules.
#include "AppInitModule.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "MapSequence.h"
#include "ModulBasis.h"
#include "PatternMap.h"
#include "PlaceSearch.h"
#include "PlaceTables.h"
#include "ScriptedDialogs.h"
#include "THDBDataSet.h"
#include "TolmWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using PlaceTables::Place;

const PatternMapArea Land{3470000, 5630000, 50.0, 1200, 1200};
const PatternMapArea Detail{3500300, 5599700, 1.0, 1500, 1500};

void typeInto(QWidget* edit, const QString& text) {
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(edit, &release);
    }
}

class PlacePage : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("VISTREL_INSTANCE_KEY", QByteArray("places-test-") + QByteArray::number(getpid()));
        const QString karten = medium.path() + "/KARTEN/";
        QDir().mkpath(karten);
        QFile cd(karten + "CD.TXT");
        ASSERT_TRUE(cd.open(QIODevice::WriteOnly));
        cd.write("2\n3501000\n5599000\n");
        cd.close();
        ASSERT_TRUE(writePatternMap(karten + "UEB_1600.TLM", Land));
        ASSERT_TRUE(writePatternMap(karten + "UEB_0250.TLM", Land));
        ASSERT_TRUE(writePatternMap(karten + "AREA2330.TLM", Detail));
        const std::vector<Place> places = {
            {"ALZEY", "ALZEY", 3490000, 5610000},
            {"MAINZ", "BRETZENHEIM", 3501100, 5599100},
            {"MAINZ", "MAINZ", 3501200, 5599200},
            {"MAINTAL", "D\xD6RNIGHEIM", 3501300, 5598900},
            {"M\xDCHLHEIM", "DIETESHEIM", 3501400, 5598800},
            {"MUNSTER", "MUNSTER", 3501500, 5598700},
            {"FERNDORF", "FERNDORF", 3900000, 5000000}, // outside every map
        };
        ASSERT_TRUE(PlaceTables::write(medium.path() + "/DATEN", places));
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
        init.reset();
    }
    QString shown(const char* field) { return card->Current()->fieldValue(field).toString().trimmed(); }
    int gridRow() { return card->DBGrid1->selectionModel()->currentIndex().row(); }
    Coord mapCentre() {
        Coord c{};
        c.type = 1;
        c.zone = 3;
        MainMapModule::instance()->Position(c, TTolmWindow::AlignCenter);
        return c;
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

TEST_F(PlacePage, GridSearchAndOrder) {
    EXPECT_EQ(module->Page().caption, "Gemeinden");
    EXPECT_FALSE(module->Page().side);
    QTableView* grid = card->DBGrid1;
    ASSERT_EQ(grid->model()->columnCount(), 2);
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), "Gemeinde");
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), "Gemeindeteil");
    EXPECT_EQ(grid->model()->rowCount(), 7);
    EXPECT_EQ(card->Current(), card->tblWOPLA1);
    EXPECT_EQ(card->SearchSubFrame1->cmbCategory->currentText(), "Gemeinde");
    EXPECT_EQ(card->SearchSubFrame1->cmbCategory->count(), 2);
    EXPECT_EQ(card->SearchSubFrame1->lblSearch->text(), "&Suchen");
    EXPECT_EQ(card->SearchSubFrame1->lblCategory->text(), "&nach");
    EXPECT_TRUE(grid->editTriggers() == QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(card->pshCenter->size(), QSize(1, 1));
    // The search line shows above the grid.
    EXPECT_TRUE(card->SearchSubFrame1->sleSearch->isVisible());
    EXPECT_GE(card->ControlPanel->height(), card->SearchSubFrame1->geometry().bottom() + 1);
    EXPECT_GE(grid->y(), card->SearchSubFrame1->mapTo(card, QPoint(0, card->SearchSubFrame1->height())).y());

    // "mai" positions the grid like "MAI"; "mü" finds MÜHLHEIM, not MUNSTER.
    search("mai");
    EXPECT_EQ(shown("ORT"), "MAINTAL");
    const int row = gridRow();
    EXPECT_EQ(row, card->Current()->recNo() - 1) << "the grid follows";
    search("MAI");
    EXPECT_EQ(gridRow(), row);
    search("mü");
    EXPECT_EQ(shown("ORT"), "MÜHLHEIM");
    EXPECT_EQ(grid->model()->index(gridRow(), 0).data().toString(), "MÜHLHEIM");
    // Emptying the search leaves the grid where it was; so does a text
    // beyond every name.
    card->SearchSubFrame1->sleSearch->clear();
    EXPECT_EQ(shown("ORT"), "MÜHLHEIM");
    search("zz");
    EXPECT_EQ(shown("ORT"), "MÜHLHEIM");

    // Arrow keys in the grid move the table with them.
    search("hetz");
    ASSERT_EQ(shown("ORT"), "MAINTAL") << "nothing after H but M…";
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(shown("ORT"), "MAINZ");
    EXPECT_EQ(shown("ORTS_TEIL"), "BRETZENHEIM");

    // The other order keeps the place; and back again.
    search("mainz");
    ASSERT_EQ(shown("ORTS_TEIL"), "BRETZENHEIM");
    card->SearchSubFrame1->cmbCategory->setCurrentIndex(1);
    EXPECT_EQ(card->Current(), card->tblWOPLA2);
    EXPECT_EQ(shown("ORT"), "MAINZ");
    EXPECT_EQ(shown("ORTS_TEIL"), "BRETZENHEIM");
    EXPECT_EQ(grid->model()->index(gridRow(), 1).data().toString(), "BRETZENHEIM");
    EXPECT_EQ(grid->model()->index(gridRow(), 0).data().toString(), "MAINZ") << "columns keep their places";
    search("di");
    EXPECT_EQ(shown("ORTS_TEIL"), "DIETESHEIM");
    card->SearchSubFrame1->cmbCategory->setCurrentIndex(0);
    EXPECT_EQ(card->Current(), card->tblWOPLA1);
    EXPECT_EQ(shown("ORT"), "MÜHLHEIM");
    EXPECT_EQ(shown("ORTS_TEIL"), "DIETESHEIM");
}

TEST_F(PlacePage, JumpCentresAndFlashesTheMarker) {
    std::vector<QString> chosen;
    module->AddPlaceChosenListener(
        [&](THDBDataSet* table) { chosen.push_back(table->fieldValue("ORTS_TEIL").toString().trimmed()); });
    module->AddPlaceChosenListener([&](THDBDataSet*) { chosen.push_back("second"); });
    search("mainz");
    // The second place of MAINZ, picked in the grid.
    const QModelIndex next = card->DBGrid1->model()->index(card->Current()->recNo(), 0);
    QTest::mouseClick(card->DBGrid1->viewport(), Qt::LeftButton, {}, card->DBGrid1->visualRect(next).center());
    ASSERT_EQ(shown("ORTS_TEIL"), "MAINZ");
    // Enter in the search field jumps.
    QTest::keyClick(card->SearchSubFrame1->sleSearch, Qt::Key_Return);
    EXPECT_EQ(chosen, (std::vector<QString>{"MAINZ", "second"}));
    EXPECT_NEAR(mapCentre().y, 3501200, 2.0);
    EXPECT_NEAR(mapCentre().x, 5599200, 2.0);
    TimedPointPainter& marker = module->Marker();
    EXPECT_TRUE(marker.Visible());
    EXPECT_DOUBLE_EQ(marker.Position().x, 5599200);
    EXPECT_DOUBLE_EQ(marker.Position().y, 3501200);
    EXPECT_TRUE(marker.Timer().isActive());
    EXPECT_EQ(marker.Timer().interval(), 5000);
    EXPECT_TRUE(MainMapModule::instance()->Listeners().Contains(&marker));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    marker.Hide();

    // A place outside every map: asked, then told; the map stays.
    search("fern");
    ASSERT_EQ(shown("ORT"), "FERNDORF");
    const Coord before = mapCentre();
    EXPECT_FALSE(card->JumpToPlace());
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[0].caption, "Ort anspringen");
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("Dieser Ort ist in der aktuellen Karte nicht enthalten."));
    EXPECT_TRUE(dialogs.messages[0].text.contains("Wollen Sie ihn auf einer anderen Karte sehen?"));
    EXPECT_EQ(dialogs.messages[1].text, "Dieser Ort scheint in keiner Karte enthalten zu sein. Sorry!");
    EXPECT_FALSE(marker.Visible());
    Modul::Kartenfolge::SelectMap(3);
    EXPECT_NEAR(mapCentre().y, before.y, 2.0);
    EXPECT_NEAR(mapCentre().x, before.x, 2.0);
    EXPECT_EQ(chosen.size(), 4u) << "the listeners hear of it all the same";

    // A place on an overview only: after a yes, shown there.
    dialogs.messages.clear();
    search("alz");
    ASSERT_TRUE(card->JumpToPlace());
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(Modul::Kartenfolge::CurrentMapNumber(), 2);
    EXPECT_NEAR(mapCentre().y, 3490000, 60.0);
    EXPECT_TRUE(marker.Visible());
}

TEST_F(PlacePage, ControlsOfOtherModulesAndColumnWidths) {
    auto* extra = new QLabel("Grenzen");
    extra->resize(50, 20);
    module->AddControl(extra);
    EXPECT_EQ(extra->parentWidget(), card->ControlPanel);
    EXPECT_EQ(extra->x(), 1);
    EXPECT_EQ(extra->width(), card->ControlPanel->width() - 2);
    EXPECT_EQ(extra->y(), card->SearchSubFrame1->geometry().bottom() + 1 + 8);
    EXPECT_GE(card->ControlPanel->minimumHeight(), extra->geometry().bottom() + 1);
    card->ControlPanel->resize(card->ControlPanel->width() + 40, card->ControlPanel->height());
    EXPECT_EQ(extra->width(), card->ControlPanel->width() - 2);

    // The columns share the grid's width.
    const int width = card->DBGrid1->viewport()->width();
    ASSERT_GT(width, 0);
    EXPECT_NEAR(card->DBGrid1->columnWidth(0) + card->DBGrid1->columnWidth(1), width, 1);
    EXPECT_NEAR(double(card->DBGrid1->columnWidth(0)) / width, 128.0 / 236.0, 0.02);
}
