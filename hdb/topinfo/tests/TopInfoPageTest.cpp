// The page "Tourist-Info" as the program starts it: its controls after the
// start-up, choosing categories and elements, the incremental search, what
// the map shows, a click on a picture, centring and the information view.
#include "AppInitModule.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "MapSequence.h"
#include "ModulBasis.h"
#include "PatternMap.h"
#include "ScriptedDialogs.h"
#include "TolmWindow.h"
#include "TopInfoFrame.h"
#include "TopInfoModule.h"
#include "TopInfoTestData.h"

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

#include <unistd.h>

namespace {

using TopInfoTestData::Poi;

const PatternMapArea Land{3470000, 5630000, 50.0, 1200, 1200};
const PatternMapArea Detail{3500300, 5599700, 1.0, 1500, 1500};

// Types the text key by key, umlauts included.
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

class TouristInfoPage : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("VISTREL_INSTANCE_KEY", QByteArray("topinfo-test-") + QByteArray::number(getpid()));
        const QString karten = medium.path() + "/KARTEN/";
        QDir().mkpath(karten);
        writeText(karten + "CD.TXT", "2\n3501000\n5599000\n");
        ASSERT_TRUE(writePatternMap(karten + "UEB_1600.TLM", Land));
        ASSERT_TRUE(writePatternMap(karten + "UEB_0250.TLM", Land));
        ASSERT_TRUE(writePatternMap(karten + "AREA2330.TLM", Detail));

        std::vector<Poi> pois = TopInfoTestData::fillers(5599000, 3500900);
        auto museum = [](const char* name, double east) {
            Poi p;
            p.category = "3";
            p.name = QString::fromUtf8(name);
            p.plzOrt = "55116 Mainz";
            p.northing = 5599000;
            p.easting = east;
            return p;
        };
        // Record 42 and on, in byte order of their names.
        pois.push_back(museum("Aachener Museum", 3501000)); // 42
        pois.push_back(museum("MAINZER Landesmuseum", 3501060));
        pois.push_back(museum("Maintal-Museum", 3501120));
        pois.push_back(museum("Mühlenmuseum", 3501180));
        pois.push_back(museum("Zollhaus", 3501240));
        pois.push_back(museum("mainzer Kunsthalle", 3501300)); // 47
        const QString daten = medium.path() + "/DATEN/";
        ASSERT_TRUE(TopInfoTestData::write(daten, pois));
        QDir().mkpath(daten + "INFO");
        writeText(daten + "INFO/30000000042.html", "<html><body><h1>Aachener Museum</h1></body></html>");
        writeText(daten + "INFO/1.html", "<html><body>Sehenswertes</body></html>");
        writeText(daten + "INFO/NoInfo.html", "<html><body>Keine Information</body></html>");

        TAppInitModule::Options options;
        options.places = DataMedium::SearchPlaces{};
        options.places->commandLine = medium.path();
        init = std::make_unique<TAppInitModule>(options);
        ASSERT_TRUE(init->initApp());
        init->basis()->mainWindow()->resize(1000, 700);
        init->basis()->mainWindow()->show();
        module = TopInfoModule::instance();
        ASSERT_NE(module, nullptr);
        Modul::Kartenfolge::SelectMap(3);
    }
    void TearDown() override {
        delete TopInfoModule::instance();
        delete MainMapModule::instance();
        init.reset();
    }
    TTopInfoFrame* showFrame() {
        BaseDataPageManager::instance()->showPage(&module->Page());
        return module->Frame();
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
    QString currentKey(TTopInfoFrame* frame) {
        const auto selected = frame->lstElements->selectedItems();
        return selected.isEmpty() ? QString() : selected.first()->data(Qt::UserRole).toString();
    }
    QStringList listNames(TTopInfoFrame* frame) {
        QStringList names;
        for (int i = 0; i < frame->lstElements->count(); ++i)
            names << frame->lstElements->item(i)->text();
        return names;
    }
    Coord mapCentre() {
        Coord c{};
        c.type = 1;
        c.zone = 3;
        MainMapModule::instance()->Position(c, TTolmWindow::AlignCenter);
        return c;
    }

    QTemporaryDir medium;
    Platform::ScriptedDialogs dialogs;
    std::unique_ptr<TAppInitModule> init;
    TopInfoModule* module = nullptr;
};

} // namespace

TEST_F(TouristInfoPage, StartsWithTheFirstCategoryAndItsPictures) {
    EXPECT_EQ(module->Page().caption, "Tourist-Info");
    EXPECT_FALSE(module->Page().side) << "a page of the left side";
    TTopInfoFrame* frame = showFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_GE(frame->minimumWidth(), 245);
    EXPECT_EQ(frame->chkShow->text(), "&Anzeigen");
    EXPECT_EQ(frame->chkAutoCenter->text(), "a&utomatisch");
    EXPECT_TRUE(frame->chkAutoCenter->isChecked());
    EXPECT_EQ(frame->btnCenter->text(), "&Zentrieren");
    EXPECT_EQ(frame->radShowInfo->text(), "&Information zeigen");
    EXPECT_EQ(frame->radShowMap->text(), "&Karte zeigen");
    EXPECT_TRUE(frame->radShowMap->isChecked());
    EXPECT_TRUE(frame->MapOrInfoPanel->isVisible()) << "the medium has information pages";
    EXPECT_EQ(frame->lblSearch->text(), "&Suchen");

    ASSERT_EQ(frame->cmbCategory->count(), 6);
    EXPECT_EQ(frame->cmbCategory->itemText(3), "Burgen + Schlösser");
    EXPECT_EQ(frame->cmbCategory->currentIndex(), 0);
    EXPECT_EQ(frame->lstElements->count(), 30);
    EXPECT_TRUE(frame->lstElements->selectedItems().isEmpty());
    ASSERT_EQ(frame->cmbShow->count(), 3);
    EXPECT_EQ(frame->cmbShow->itemText(0), "gewähltes Objekt");
    EXPECT_EQ(frame->cmbShow->itemText(1), "alle aus gewählter Kategorie");
    EXPECT_EQ(frame->cmbShow->itemText(2), "alles (alle Kategorien)");
    EXPECT_EQ(frame->cmbShow->currentIndex(), 1);
    EXPECT_TRUE(frame->chkShow->isChecked());
    EXPECT_EQ(frame->Layer().Mode(), 2);
    paintMap();
    EXPECT_EQ(frame->Layer().Objects().size(), 30u);

    // chkShow off removes every picture; on restores the chosen mode.
    frame->chkShow->click();
    EXPECT_EQ(frame->Layer().Mode(), 0);
    paintMap();
    EXPECT_TRUE(frame->Layer().Objects().empty());
    frame->chkShow->click();
    EXPECT_EQ(frame->Layer().Mode(), 2);
    paintMap();
    EXPECT_EQ(frame->Layer().Objects().size(), 30u);
    // Choosing an entry of cmbShow switches the pictures on again.
    frame->chkShow->click();
    frame->cmbShow->setCurrentIndex(2);
    emit frame->cmbShow->activated(2);
    EXPECT_TRUE(frame->chkShow->isChecked());
    EXPECT_EQ(frame->Layer().Mode(), 3);
    paintMap();
    EXPECT_EQ(frame->Layer().Objects().size(), 47u) << "every element of every category";
}

TEST_F(TouristInfoPage, SearchSelectsLikeTheCapitals) {
    TTopInfoFrame* frame = showFrame();
    ASSERT_NE(frame, nullptr);
    frame->cmbCategory->setCurrentIndex(2); // Museen
    // Sorted without regard to case.
    EXPECT_EQ(listNames(frame), QStringList({"Aachener Museum", "Maintal-Museum", "mainzer Kunsthalle",
                                             "MAINZER Landesmuseum", "Mühlenmuseum", "Zollhaus"}));
    EXPECT_TRUE(frame->lstElements->selectedItems().isEmpty()) << "a category change clears the selection";

    typeInto(frame->sleSearch, "mai");
    const QString lower = currentKey(frame);
    frame->sleSearch->clear();
    typeInto(frame->sleSearch, "MAI");
    EXPECT_EQ(currentKey(frame), lower);
    EXPECT_EQ(frame->lstElements->selectedItems().first()->text(), "Maintal-Museum");
    frame->sleSearch->clear();
    typeInto(frame->sleSearch, "mainzer l");
    EXPECT_EQ(frame->lstElements->selectedItems().first()->text(), "MAINZER Landesmuseum");
    EXPECT_EQ(frame->mleShortInfo->toPlainText(), "55116 Mainz");

    frame->sleSearch->clear();
    typeInto(frame->sleSearch, "mü");
    EXPECT_EQ(frame->lstElements->selectedItems().first()->text(), "Mühlenmuseum");
    // Beyond every name: the last entry.
    frame->sleSearch->clear();
    typeInto(frame->sleSearch, "zz");
    EXPECT_EQ(frame->lstElements->selectedItems().first()->text(), "Zollhaus");

    // Selecting centres the map on the element (automatically), and the
    // button does it again after the map moved.
    EXPECT_NEAR(mapCentre().y, 3501240, 2.0);
    EXPECT_NEAR(mapCentre().x, 5599000, 2.0);
    frame->chkAutoCenter->setChecked(false);
    frame->sleSearch->clear();
    typeInto(frame->sleSearch, "aa");
    EXPECT_EQ(currentKey(frame), "30000000042");
    EXPECT_NEAR(mapCentre().y, 3501240, 2.0) << "no automatic centring";
    frame->btnCenter->click();
    EXPECT_NEAR(mapCentre().y, 3501000, 2.0);

    // A click on the selected entry centres the map on it again.
    frame->chkAutoCenter->setChecked(true);
    Coord away{};
    away.type = 1;
    away.x = 5599000;
    away.y = 3501300;
    MainMapModule::instance()->SetCentre(away, false);
    EXPECT_NEAR(mapCentre().y, 3501300, 2.0);
    QListWidgetItem* selected = frame->lstElements->selectedItems().first();
    const QPoint at = frame->lstElements->visualItemRect(selected).center();
    QTest::mouseClick(frame->lstElements->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(currentKey(frame), "30000000042");
    EXPECT_NEAR(mapCentre().y, 3501000, 2.0);
}

TEST_F(TouristInfoPage, ClickOnAPictureSelectsAcrossCategoriesAndShowsThePage) {
    TTopInfoFrame* frame = showFrame();
    ASSERT_NE(frame, nullptr);
    // Another page in front of the left side.
    DataPageInfo other(false, "Andere", [](QWidget* owner) { return new QLabel("andere", owner); });
    BaseDataPageManager::instance()->addPage(&other);
    frame->cmbShow->setCurrentIndex(2);
    emit frame->cmbShow->activated(2);
    paintMap();
    BaseDataPageManager::instance()->showPage(&other);
    EXPECT_FALSE(frame->isVisible());

    const TopInfoClickableRect* museum = nullptr;
    for (const auto& o : frame->Layer().Objects()) {
        auto* r = static_cast<const TopInfoClickableRect*>(o.get());
        if (r->Key() == "30000000044")
            museum = r;
    }
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
    EXPECT_EQ(currentKey(frame), "30000000044");
    EXPECT_EQ(frame->SelectedElementKey(), "30000000044");
    EXPECT_TRUE(frame->isVisible()) << "the page came to the front";
    BaseDataPageManager::instance()->setTabVisible(&other, false);
}

TEST_F(TouristInfoPage, InformationViewWithFallback) {
    TTopInfoFrame* frame = showFrame();
    ASSERT_NE(frame, nullptr);
    frame->cmbCategory->setCurrentIndex(2);
    typeInto(frame->sleSearch, "aa");
    ASSERT_EQ(currentKey(frame), "30000000042");

    frame->radShowInfo->click();
    TTopInfoBrowser* browser = module->Browser();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->isVisible()) << "the information page replaces the map";
    EXPECT_EQ(browser->source().fileName(), "30000000042.html");
    EXPECT_TRUE(browser->toPlainText().contains("Aachener Museum"));

    // An element without a page, and no element (the category's page,
    // missing too): "NoInfo.html".
    frame->sleSearch->clear();
    typeInto(frame->sleSearch, "zo");
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
