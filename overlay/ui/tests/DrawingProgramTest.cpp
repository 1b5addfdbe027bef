// The drawing module in the whole program, started on the demo medium as
// main() starts it: the action and the page, then one element of each kind
// drawn with mouse events on the map window, saved, and the program started
// again from the saved file shows the same map window pixel for pixel.
#include "AppInitModule.h"
#include "DataPage.h"
#include "DrawBeep.h"
#include "DrawTreeItem.h"
#include "DrawingModule.h"
#include "ExtPageControl.h"
#include "LineAreaForm.h"
#include "LineAreaFunction.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "MapSequence.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "OverlayFiles.h"
#include "Paths.h"
#include "ScriptedDialogs.h"
#include "StdDrawAppearance.h"
#include "StdDrawStrategies.h"
#include "StyleComboBox.h"
#include "SymbolIcon.h"
#include "TolmWindow.h"
#include "UserDrawFileTypes.h"
#include "UserDrawFunction.h"
#include "ZeichnenAuswahlFrame.h"
#include "ZeichnenFrame.h"
#include "ZeichnenNeuBearbFrame.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// The demo medium with a data directory of its own, so that a test can put
// "autoload.qvo" there: every entry is linked, DATEN entry by entry, except
// the medium's own autoload file (a save would follow the link and change
// the medium that other tests share).
bool linkMedium(const QString& source, const QString& target) {
    const QDir from(source);
    if (!from.exists())
        return false;
    for (const QFileInfo& entry : from.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        const QString to = target + "/" + entry.fileName();
        if (entry.fileName() == "DATEN") {
            QDir().mkpath(to);
            for (const QFileInfo& data :
                 QDir(entry.filePath()).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
                if (data.fileName().compare(QStringLiteral("autoload.qvo"), Qt::CaseInsensitive) == 0)
                    continue;
                if (!QFile::link(data.absoluteFilePath(), to + "/" + data.fileName()))
                    return false;
            }
        } else if (!QFile::link(entry.absoluteFilePath(), to)) {
            return false;
        }
    }
    return true;
}

class DrawingProgram : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("VISTREL_INSTANCE_KEY", QByteArray("drawing-test-") + QByteArray::number(getpid()));
        ASSERT_TRUE(linkMedium(QStringLiteral(VISTREL_TEST_MEDIUM_DIR), medium.path()));
        DrawBeep::setBeeper([this] { ++beeps; });
    }
    void TearDown() override {
        stop();
        DrawBeep::setBeeper(nullptr);
    }

    // The start-up sequence as main() runs it, the window shown, the regional
    // map at zoom 1 on a fixed place.
    void start() {
        TAppInitModule::Options options;
        options.places = DataMedium::SearchPlaces{};
        options.places->commandLine = medium.path();
        init = std::make_unique<TAppInitModule>(options);
        ASSERT_TRUE(init->initApp());
        mainWindow = init->basis()->mainWindow();
        mainWindow->resize(1100, 800);
        mainWindow->show();
        module = MainMapModule::instance();
        ASSERT_NE(module, nullptr);
        module->DefCoordDynamic = false;
        module->Sequence().SelectMap(3);
        module->SetZoom(1.0, std::nullopt);
        module->SetCentre(Coord{1, 3, 5510000.0, 3480000.0}, true);
        client = module->WindowControl();
        ASSERT_NE(client, nullptr);
        for (int i = 0; i < 200 && !(client->isVisible() && client->width() > 600); ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(2);
        }
        ASSERT_GT(client->width(), 600);
        module->SetCentre(Coord{1, 3, 5510000.0, 3480000.0}, true);
        QCoreApplication::processEvents();
    }
    // Everything the program leaves for the process end, so that the next
    // start begins as a new process would.
    void stop() {
        if (!init)
            return;
        MapFunction::Activate(nullptr);
        delete MainMapModule::instance();
        init.reset();
        UserDraw::resetFrameLink();
        UserDraw::FileTypes::clear();
        DefaultAppearances::reset();
        module = nullptr;
        client = nullptr;
    }

    // A choice in a combo box as the user makes it.
    static void choose(QComboBox* box, int index) {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    // A colour button pressed, the colour dialog answering `colour`.
    void pickColour(QWidget* button, const QColor& colour) {
        dialogs.colorAnswers = {colour};
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), button->mapToGlobal(QPointF(3, 3)), Qt::LeftButton,
                          Qt::LeftButton, {});
        QApplication::sendEvent(button, &press);
    }
    void click(int x, int y) {
        const QPointF at(x, y);
        QMouseEvent press(QEvent::MouseButtonPress, at, client->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QMouseEvent release(QEvent::MouseButtonRelease, at, client->mapToGlobal(at), Qt::LeftButton, {}, {});
        QApplication::sendEvent(client, &press);
        QApplication::sendEvent(client, &release);
    }
    QImage mapPixels() {
        module->Repaint();
        QCoreApplication::processEvents();
        return client->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    TModularAction* actionOf(const QString& menuPath) {
        for (TModularAction* action : mainWindow->registeredActions())
            if (action->menuPath() == menuPath)
                return action;
        return nullptr;
    }
    QStringList treeTexts(QTreeWidgetItem* node) {
        QStringList list;
        for (int i = 0; i < node->childCount(); ++i) {
            list << node->child(i)->text(0);
            const QStringList below = treeTexts(node->child(i));
            for (const QString& text : below)
                list << "  " + text;
        }
        return list;
    }

    QTemporaryDir medium;
    Platform::ScriptedDialogs dialogs;
    std::unique_ptr<TAppInitModule> init;
    TMainWindow* mainWindow = nullptr;
    MainMapModule* module = nullptr;
    QWidget* client = nullptr;
    int beeps = 0;
};

} // namespace

TEST_F(DrawingProgram, ActionPageAndEveryKindSavedAndStartedAgain) {
    ASSERT_NO_FATAL_FAILURE(start());
    TZeichnenFrame* frame = DrawingModule::frame();
    ASSERT_NE(frame, nullptr);
    TZeichnenAuswahlFrame& tree = *frame->auswahlFrame();
    TZeichnenNeuBearbFrame& editor = *frame->neuBearbFrame();
    EXPECT_EQ(tree.root()->childCount(), 0) << "the test's medium has no autoload file";

    auto* action = qobject_cast<TMapFunctionAction*>(actionOf("&Funktion|&Zeichnen"));
    ASSERT_NE(action, nullptr);
    UserDrawFunction* idle = DrawingModule::function();
    ASSERT_EQ(action->mapFunction(), idle);
    MapFunction* centre = MapFunction::Default();
    EXPECT_EQ(MapFunction::Active(), centre);

    // Executing the action brings the page to the front ...
    EXPECT_FALSE(DrawingModule::pageShown());
    action->trigger();
    EXPECT_EQ(MapFunction::Active(), idle);
    EXPECT_TRUE(DrawingModule::pageShown());
    EXPECT_FALSE(frame->editorShown());
    auto* pages = qobject_cast<TExtPageControl*>(frame->parentWidget()->parentWidget()->parentWidget());
    ASSERT_NE(pages, nullptr);
    const int drawingTab = pages->currentIndex();

    // One element of each kind, several looks.
    const int cx = client->width() / 2, cy = client->height() / 2;
    frame->pshNewElement->click();
    ASSERT_TRUE(frame->editorShown());
    // A magenta square with purple cross hatch, as the records start.
    click(cx - 300, cy - 200);
    // A solid blue circle of 20 m radius.
    choose(editor.SymbolType, 0);
    editor.RadiusSideEdit->setText("20");
    emit editor.RadiusSideEdit->textEdited("20");
    choose(editor.RadiusSideUnit, 1);
    choose(editor.FillType, 0);
    pickColour(editor.FillColor, QColor(0, 0, 255));
    click(cx - 200, cy - 200);
    // A picture of the medium's symbol set (the program reads its own).
    Singletons::Paths::instance().setSymbolDirectoryOverride(medium.path() + "/SYMBOLE/");
    SymbolIcon::Set::FromPath::reload();
    editor.selectType(1);
    ASSERT_GT(SymbolIcon::iconCount(), 1) << "the demo medium has symbols";
    editor.IconGrid->setCurrentCell(0, 1);
    ASSERT_EQ(editor.appearance()->icon, SymbolIcon::iconAt(1));
    click(cx - 100, cy - 200);
    // A text of two lines, named.
    editor.selectType(3);
    editor.TextEditor->setPlainText("Aussicht\nüber das Tal");
    editor.Name->setText("Aussicht");
    emit editor.Name->textEdited("Aussicht");
    click(cx + 100, cy - 200);
    editor.FinishNewEdit->click();
    EXPECT_EQ(MapFunction::Active(), idle);

    // A dashed green line of width 5 in a folder, and a hatched area.
    QTreeWidgetItem* folder = tree.newFolder();
    folder->setText(0, "Wege");
    frame->pshNewElement->click();
    editor.selectType(2);
    editor.PenWidth->setValue(5);
    choose(editor.PenStyle, 1);
    pickColour(editor.PenColor, QColor(0, 160, 0));
    click(cx - 300, cy);
    click(cx - 100, cy + 50);
    // Another page in between: drawing pauses (the page's function ends), the
    // tool window goes, and both come back with the page.
    auto* drawing = dynamic_cast<LineAreaFunction*>(editor.drawFunction());
    ASSERT_NE(drawing, nullptr);
    ASSERT_TRUE(pages->userSelect(0));
    EXPECT_EQ(MapFunction::Active(), centre);
    EXPECT_FALSE(DrawingModule::pageShown());
    EXPECT_FALSE(drawing->Form()->isVisible());
    ASSERT_TRUE(pages->userSelect(drawingTab));
    EXPECT_EQ(MapFunction::Active(), drawing);
    EXPECT_TRUE(drawing->Form()->isVisible());
    click(cx + 100, cy);
    EXPECT_EQ(drawing->Geometry().points.size(), 3u);
    editor.FinishNewEdit->click();
    tree.tvObjects()->clearSelection();
    tree.tvObjects()->setCurrentItem(tree.root());
    tree.root()->setSelected(true);
    frame->pshNewElement->click();
    auto* line = dynamic_cast<LineAreaFunction*>(editor.drawFunction());
    ASSERT_NE(line, nullptr);
    editor.PenWidth->setValue(2);
    choose(editor.PenStyle, 0);
    choose(editor.FillType, 4);
    click(cx - 100, cy + 100);
    click(cx + 200, cy + 100);
    click(cx + 200, cy + 250);
    line->Form()->pshCloseArea->click();
    editor.FinishNewEdit->click();
    EXPECT_EQ(beeps, 0);

    const QStringList drawn = treeTexts(tree.root());
    EXPECT_EQ(drawn.join('|'), "Fläche|Wege|  Linie|Aussicht|Symbol|Form|Form");
    EXPECT_EQ(tree.changeCount(), 6);
    const QImage before = mapPixels();

    // Saved as the data directory's autoload file, the drawing comes back at
    // the next start.
    const QString file = medium.path() + "/DATEN/autoload.qvo";
    dialogs.saveAnswers = {file};
    frame->pshSave->click();
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(tree.changeCount(), 0);
    // The program ends while a line is being drawn, its tool window open.
    frame->pshNewElement->click();
    editor.selectType(2);
    click(cx, cy);
    ASSERT_NE(dynamic_cast<LineAreaFunction*>(MapFunction::Active()), nullptr);
    stop();

    ASSERT_NO_FATAL_FAILURE(start());
    TZeichnenAuswahlFrame& again = *DrawingModule::frame()->auswahlFrame();
    EXPECT_EQ(treeTexts(again.root()), drawn);
    const QImage after = mapPixels();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(after == before) << "the map window is the same pixel for pixel";
    // The drawing is there at all: blue of the circle.
    EXPECT_EQ(after.pixel(cx - 200, cy - 200), qRgb(0, 0, 255));
    EXPECT_EQ(DefaultAppearances::record(1).lineWidth, 2) << "the defaults came back with the file";
}
