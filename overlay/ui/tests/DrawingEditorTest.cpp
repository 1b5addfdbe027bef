// The page "Zeichnen" beside the real map window module, driven through the
// map window with mouse and key events as the user drives it: the property
// editor on the default records, placing point elements, drawing lines and
// areas with the tool window, and symbol sizes while zooming.
#include "DrawBeep.h"
#include "DrawTreeItem.h"
#include "LeftRightFrame.h"
#include "LineAreaForm.h"
#include "LineAreaFunction.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "MapSequence.h"
#include "ModulBasis.h"
#include "PointDrawFunction.h"
#include "ScriptedDialogs.h"
#include "StdDrawStrategies.h"
#include "StyleComboBox.h"
#include "TlmWriter.h"
#include "TolmWindow.h"
#include "UserDrawFunction.h"
#include "ZeichnenAuswahlFrame.h"
#include "ZeichnenDrawObjectTarget.h"
#include "ZeichnenFrame.h"
#include "ZeichnenNeuBearbFrame.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A grey georeferenced map of Gauss-Krüger strip 3, one metre per pixel,
// its top left corner at (easting, northing).
bool writeMap(const QString& path, double easting, double northing, int width, int height) {
    TlmWriter::Options o;
    o.variant = TlmWriter::Variant::C;
    o.bitCount = 8;
    o.palette.push_back(RgbQuad{200, 200, 200, 0});
    o.georef.kind = 255;
    o.georef.zone = 3;
    o.georef.r[0] = -easting;
    o.georef.r[1] = northing;
    o.georef.r[2] = 0;
    o.georef.r[3] = -1.0;
    std::vector<uint8_t> pixels(size_t(width) * size_t(height), 0);
    return TlmWriter::write(QFile::encodeName(path).toStdString(), width, height, pixels.data(), size_t(width), o);
}

Coord gk(double easting, double northing) {
    Coord c{};
    c.type = 1;
    c.zone = 3;
    c.x = northing;
    c.y = easting;
    return c;
}

const QRgb Grey = qRgb(200, 200, 200);

class DrawingOnMap : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(medium.isValid());
        basis.setBasePath(medium.path());
        const QString karten = basis.basePath() + "KARTEN/";
        QDir().mkpath(karten);
        ASSERT_TRUE(writeMap(karten + "AREA.TLM", 3500000, 5600000, 1500, 1500));
        DefaultAppearances::reset();
        StdDrawStrategies::bindDefaultAppearances();
        DrawBeep::setBeeper([this] { ++beeps; });
        manager = std::make_unique<LeftRightDataPageManager>(basis.mainWindow());
        basis.mainWindow()->resize(1000, 700);
        basis.mainWindow()->show();
        module = std::make_unique<MainMapModule>();
        module->DefCoordDynamic = false;
        module->Sequence().AddEntry({"Top. Karte", "AREA.TLM", "", {}});
        module->Sequence().Start(1);
        module->ShowMapPage();
        module->SetZoom(1.0, std::nullopt);
        module->SetCentre(gk(3500700, 5599300), true);
        idle = std::make_unique<UserDrawFunction>();
        frame = std::make_unique<TZeichnenFrame>();
        frame->neuBearbFrame()->setIdleFunction(idle.get());
        frame->resize(290, 500);
        frame->show();
        MapFunction::Activate(idle.get());
        client = module->WindowControl();
        QApplication::processEvents();
        ASSERT_TRUE(client != nullptr && client->width() > 600 && client->height() > 400);
    }
    void TearDown() override {
        frame.reset();
        MapFunction::Activate(nullptr);
        idle.reset();
        module.reset();
        manager.reset();
        DrawBeep::setBeeper(nullptr);
    }

    TZeichnenNeuBearbFrame& editor() { return *frame->neuBearbFrame(); }
    TZeichnenAuswahlFrame& tree() { return *frame->auswahlFrame(); }
    QTreeWidgetItem* root() { return tree().root(); }
    QString texts(QTreeWidgetItem* node) {
        QStringList list;
        for (int i = 0; i < node->childCount(); ++i)
            list << node->child(i)->text(0);
        return list.join(',');
    }
    const StdDrawObject& geometryOf(QTreeWidgetItem* node) {
        return static_cast<DrawTreeObject*>(itemOf(node))->geometry();
    }

    // button: the one pressed or released; buttons: those held after the event.
    void mouse(QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons) {
        const QPointF at(x, y);
        QMouseEvent event(type, at, client->mapToGlobal(at), button, buttons, {});
        QApplication::sendEvent(client, &event);
    }
    void click(int x, int y) {
        mouse(QEvent::MouseButtonPress, x, y, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, x, y, Qt::LeftButton, Qt::NoButton);
    }
    // Pixels of a colour in an area of the map window.
    int countIn(const QImage& image, const QRect& area, QRgb colour) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += image.pixel(x, y) == colour ? 1 : 0;
        return n;
    }
    int countOnRow(const QImage& image, int y, QRgb colour) {
        return countIn(image, QRect(0, y, image.width(), 1), colour);
    }
    static void choose(QComboBox* box, int index) {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    static void type(QLineEdit* edit, const QString& text) {
        edit->setText(text);
        emit edit->textEdited(text);
    }
    void key(int code, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
        QApplication::sendEvent(module->Window(), &press);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
        QApplication::sendEvent(module->Window(), &release);
    }
    QImage shown() {
        module->Repaint();
        QApplication::processEvents();
        return client->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    Platform::ScriptedDialogs dialogs;
    QTemporaryDir medium;
    Modul::Basis basis;
    std::unique_ptr<LeftRightDataPageManager> manager;
    std::unique_ptr<MainMapModule> module;
    std::unique_ptr<UserDrawFunction> idle;
    std::unique_ptr<TZeichnenFrame> frame;
    QWidget* client = nullptr;
    int beeps = 0;
};

} // namespace

// Three clicks give three "Form" nodes right after the node selected when
// the editor opened, so the newest stands first; a drag places nothing, and
// "Speichern" with nothing drawn adds nothing.
TEST_F(DrawingOnMap, ClicksPlaceSymbolsNewestFirst) {
    QTreeWidgetItem* folder = tree().newFolder();
    folder->setText(0, "Erster");
    // Made while "Erster" is selected: its first child.
    QTreeWidgetItem* after = tree().newFolder();
    after->setText(0, "Zweiter");
    ASSERT_EQ(after->parent(), folder);
    // With an element selected the new ones go right after it.
    StdDrawAppearance look = DefaultAppearances::record(0);
    ZeichnenDrawObjectTarget seed(tree(), root());
    seed.setAppearance(&look);
    seed.geometry().points = {gk(3500100, 5599900)};
    look.name = "A";
    ASSERT_TRUE(seed.commit());
    QTreeWidgetItem* a = root()->child(0);
    ASSERT_EQ(a->text(0), "A");
    tree().tvObjects()->clearSelection();
    tree().tvObjects()->setCurrentItem(a);
    a->setSelected(true);
    const int countBefore = tree().changeCount();

    frame->pshNewElement->click();
    ASSERT_NE(dynamic_cast<PointDrawFunction*>(MapFunction::Active()), nullptr);
    click(100, 200);
    click(200, 200);
    click(300, 200);
    EXPECT_EQ(texts(root()), "A,Form,Form,Form,Erster");
    // Newest first: the node after "A" holds the last click (furthest east).
    const double e1 = geometryOf(root()->child(1)).points.front().y;
    const double e3 = geometryOf(root()->child(3)).points.front().y;
    EXPECT_NEAR(e1 - e3, 200.0, 1.0) << "one metre per pixel at zoom 1";
    EXPECT_EQ(tree().changeCount(), countBefore + 3);
    EXPECT_GT(countIn(shown(), QRect(190, 190, 21, 21), qRgb(255, 0, 255)), 20) << "the square's outline";

    // A drag is no click.
    mouse(QEvent::MouseButtonPress, 400, 300, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, 430, 330, Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, 430, 330, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(root()->childCount(), 5);

    // A name given is the node text of the next ones.
    type(editor().Name, "Turm");
    click(500, 300);
    EXPECT_EQ(root()->child(1)->text(0), "Turm");

    editor().FinishNewEdit->click();
    EXPECT_EQ(MapFunction::Active(), idle.get());
    EXPECT_EQ(root()->childCount(), 6) << "nothing left to hand over";
    EXPECT_EQ(beeps, 0);

    // A new element in a selected folder goes in as its first child.
    tree().tvObjects()->clearSelection();
    tree().tvObjects()->setCurrentItem(after);
    after->setSelected(true);
    frame->pshNewElement->click();
    click(150, 150);
    editor().FinishNewEdit->click();
    ASSERT_EQ(after->childCount(), 1);
    EXPECT_EQ(after->child(0)->text(0), "Turm");
}

// Each kind edits its default record itself, and the kind decides the
// drawing function; the controls show a record as it was left.
TEST_F(DrawingOnMap, TypeChangeEditsTheDefaultRecord) {
    frame->pshNewElement->click();
    TZeichnenNeuBearbFrame& e = editor();
    EXPECT_EQ(e.appearance(), &DefaultAppearances::record(0));
    EXPECT_EQ(MapFunction::Active(), e.drawFunction());

    // Edits go straight into the record; input that is no size is ignored.
    choose(e.SymbolType, 0);
    EXPECT_EQ(DefaultAppearances::record(0).sides, 0);
    for (const char* text : {"12,5", "abc", "-3", "0", ""})
        type(e.RadiusSideEdit, text);
    EXPECT_EQ(DefaultAppearances::record(0).length, 12.5);
    choose(e.RadiusSideUnit, 1);
    EXPECT_TRUE(DefaultAppearances::record(0).lengthInMetres);
    e.PenWidth->setValue(7);
    EXPECT_EQ(DefaultAppearances::record(0).lineWidth, 7);
    // The hatch background shows only with hatched fills.
    e.FillOpaqueCheck->click();
    EXPECT_TRUE(DefaultAppearances::record(0).hasBackColor);
    choose(e.FillType, 0);
    EXPECT_EQ(DefaultAppearances::record(0).fillStyle, 0);
    EXPECT_TRUE(e.FillOpaqueCheck->isHidden() && e.FillBackColor->isHidden());

    // Picture symbols share record 0 and keep its size.
    e.selectType(1);
    EXPECT_EQ(DefaultAppearances::record(0).strategy, &StdDrawBitmapIconStrategy::instance());
    EXPECT_EQ(DefaultAppearances::record(0).length, 12.5);

    // Lines and areas: record 1 and a tool window above "Speichern", never over it.
    e.selectType(2);
    EXPECT_EQ(e.appearance(), &DefaultAppearances::record(1));
    EXPECT_EQ(e.PenWidth->value(), 3) << "record 1 kept its own width";
    auto* line = dynamic_cast<LineAreaFunction*>(e.drawFunction());
    ASSERT_NE(line, nullptr);
    QPointer<TLineAreaForm> form = line->Form();
    ASSERT_TRUE(form && form->isVisible());
    const QPoint saveTop = e.FinishNewEdit->mapToGlobal(QPoint(e.FinishNewEdit->width() / 2, 0));
    EXPECT_LE(form->frameGeometry().bottom() + 1, saveTop.y());
    EXPECT_GE(form->frameGeometry().bottom() + 1, saveTop.y() - 40);

    // Texts: record 2; the line's tool window leaves with its function.
    e.selectType(3);
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(e.appearance(), &DefaultAppearances::record(2));
    e.TextEditor->setPlainText("Hütte\nam See");
    EXPECT_EQ(DefaultAppearances::record(0).text, "") << "a symbol has no text";
    click(400, 300);
    ASSERT_EQ(root()->childCount(), 1);
    EXPECT_EQ(static_cast<DrawTreeObject*>(itemOf(root()->child(0)))->appearance().text, "Hütte\nam See");

    e.selectType(0);
    EXPECT_EQ(e.RadiusSideEdit->text(), "12.5");
    EXPECT_EQ(e.PenWidth->value(), 7);
    EXPECT_EQ(DefaultAppearances::record(0).strategy, &StdDrawSymbolStrategy::instance());
    e.FinishNewEdit->click();
    EXPECT_EQ(MapFunction::Active(), idle.get());
}

// Lines and areas point by point: the preview uses the current record, so a
// new pen colour changes the line being drawn and the next line; backspace
// reopens a closed area before it removes points; one point is no line.
TEST_F(DrawingOnMap, LinesAndAreasWithKeysAndToolWindow) {
    frame->pshNewElement->click();
    editor().selectType(2);
    auto* line = dynamic_cast<LineAreaFunction*>(editor().drawFunction());
    ASSERT_NE(line, nullptr);
    TLineAreaForm& form = *line->Form();
    StdDrawObject& g = line->Geometry();

    click(100, 300);
    EXPECT_TRUE(form.pshDeleteLast->isEnabled() && form.pshDeleteAll->isEnabled());
    EXPECT_FALSE(form.pshCloseArea->isEnabled());
    click(500, 300);
    // Two points cannot enclose an area: a beep, and the line stays open.
    line->CloseArea();
    EXPECT_EQ(beeps, 1);
    EXPECT_FALSE(g.closed());
    EXPECT_EQ(shown().pixel(300, 300), qRgb(255, 0, 255)) << "the preview line";

    // A new pen colour: the line being drawn changes with it.
    dialogs.colorAnswers = {QColor(0, 0, 255)};
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), editor().PenColor->mapToGlobal(QPointF(5, 5)),
                      Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(editor().PenColor, &press);
    EXPECT_EQ(DefaultAppearances::record(1).lineColor, 0xFF0000u) << "blue in the third byte";
    EXPECT_EQ(shown().pixel(300, 300), qRgb(0, 0, 255));

    click(300, 500);
    ASSERT_TRUE(form.pshCloseArea->isEnabled());
    form.pshCloseArea->click();
    ASSERT_TRUE(g.closed());
    EXPECT_FALSE(form.pshCloseArea->isEnabled());
    click(600, 600);
    EXPECT_EQ(g.points.size(), 3u) << "a closed area takes no more points";

    // Backspace: first reopens, then removes the last point.
    key(Qt::Key_Backspace, QStringLiteral("\b"));
    EXPECT_FALSE(g.closed());
    EXPECT_EQ(g.points.size(), 3u);
    key(Qt::Key_Backspace, QStringLiteral("\b"));
    EXPECT_EQ(g.points.size(), 2u);
    // The middle button adds points too.
    mouse(QEvent::MouseButtonPress, 300, 500, Qt::MiddleButton, Qt::MiddleButton);
    mouse(QEvent::MouseButtonRelease, 300, 500, Qt::MiddleButton, Qt::NoButton);
    EXPECT_EQ(g.points.size(), 3u);
    form.pshCloseArea->click();
    form.pshDeleteLast->click();
    EXPECT_FALSE(g.closed());
    EXPECT_EQ(g.points.size(), 3u);
    form.pshDeleteLast->click();
    EXPECT_EQ(g.points.size(), 2u);
    // "0" removes everything.
    key(Qt::Key_0, QStringLiteral("0"));
    EXPECT_TRUE(g.points.empty());
    EXPECT_FALSE(form.pshDeleteLast->isEnabled() || form.pshDeleteAll->isEnabled());

    // One point is no line: "Speichern" adds nothing.
    click(200, 200);
    editor().FinishNewEdit->click();
    EXPECT_EQ(root()->childCount(), 0);
    EXPECT_EQ(tree().changeCount(), 0);
    EXPECT_EQ(MapFunction::Active(), idle.get());

    // The next line starts in blue; a closed area is named "Fläche".
    frame->pshNewElement->click();
    ASSERT_EQ(editor().Typ->currentIndex(), 2) << "the kind chosen last";
    line = dynamic_cast<LineAreaFunction*>(editor().drawFunction());
    ASSERT_NE(line, nullptr);
    click(100, 100);
    click(300, 100);
    click(300, 250);
    line->Form()->pshCloseArea->click();
    editor().FinishNewEdit->click();
    ASSERT_EQ(root()->childCount(), 1);
    EXPECT_EQ(root()->child(0)->text(0), "Fläche");
    EXPECT_EQ(static_cast<DrawTreeObject*>(itemOf(root()->child(0)))->appearance().lineColor, 0xFF0000u);
    EXPECT_EQ(shown().pixel(200, 100), qRgb(0, 0, 255)) << "the area's outline, now part of the tree";
    EXPECT_EQ(beeps, 1);
}

// A size in metres stays the same on the ground when zooming; a size in
// pixels stays the same on screen.
TEST_F(DrawingOnMap, MetresAndPixelsWhileZooming) {
    StdDrawAppearance& record = DefaultAppearances::record(0);
    frame->pshNewElement->click();
    TZeichnenNeuBearbFrame& e = editor();
    // A solid green square without outline, 40 units wide.
    record.lineStyle = 5;
    record.fillStyle = 0;
    record.fillColor = 0x00FF00;
    type(e.RadiusSideEdit, "40");
    const QRgb green = qRgb(0, 255, 0);
    const int cx = client->width() / 2, cy = client->height() / 2;

    click(cx, cy);
    choose(e.RadiusSideUnit, 1);
    click(cx, cy + 100);
    e.FinishNewEdit->click();
    ASSERT_EQ(root()->childCount(), 2);

    // Zoom 1: one metre per pixel, both 40 pixels wide.
    QImage image = shown();
    EXPECT_NEAR(countOnRow(image, cy, green), 40, 1);
    EXPECT_NEAR(countOnRow(image, cy + 100, green), 40, 1);

    // Zoom 2 about the first square: the pixel square keeps 40, the metre
    // square doubles and has moved 200 pixels down.
    Coord centre{};
    centre.type = 0xC001;
    centre.x = cx;
    centre.y = cy;
    module->SetZoom(2.0, centre);
    image = shown();
    EXPECT_NEAR(countOnRow(image, cy, green), 40, 1);
    EXPECT_NEAR(countOnRow(image, cy + 200, green), 80, 2);
    // Sizes far beyond the map are taken and drawn without harm.
    for (const char* huge : {"1e12", "1e300"}) {
        frame->pshNewElement->click();
        type(e.RadiusSideEdit, huge);
        choose(e.SymbolType, 0);
        click(cx, cy);
        e.FinishNewEdit->click();
        image = shown();
    }
    EXPECT_EQ(root()->childCount(), 4);
    EXPECT_EQ(DefaultAppearances::record(0).length, 1e300);
}

// A click the map window cannot place beeps and adds nothing.
TEST(PointDrawFunction, ClickBesideEveryMapBeeps) {
    ASSERT_EQ(MapWindowModule::instance(), nullptr);
    int beeps = 0;
    DrawBeep::setBeeper([&] { ++beeps; });
    StdDrawStrategies::bindDefaultAppearances();
    TZeichnenAuswahlFrame tree;
    ZeichnenDrawObjectTarget target(tree, nullptr);
    target.setAppearance(&DefaultAppearances::record(0));
    PointDrawFunction function(target);
    function.PointAction();
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(tree.root()->childCount(), 0);
    EXPECT_EQ(tree.changeCount(), 0);
    // A single point left over (a line's first point before the kind was
    // changed) becomes an element of its own before the click is placed.
    target.geometry().points = {gk(3500000, 5600000)};
    function.PointAction();
    EXPECT_EQ(tree.root()->childCount(), 1);
    EXPECT_EQ(beeps, 2);
    DrawBeep::setBeeper(nullptr);
}
