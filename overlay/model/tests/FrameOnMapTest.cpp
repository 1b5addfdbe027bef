// The selection frame beside the real map window module, as the program runs
// them: the layer paints the tree in the map window's paint, and centring
// asks the map sequence.
#include "DrawTreeItem.h"
#include "LeftRightFrame.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "MapSequence.h"
#include "ModulBasis.h"
#include "ScriptedDialogs.h"
#include "StdDrawStrategies.h"
#include "TlmWriter.h"
#include "TolmWindow.h"
#include "UserDrawLayer.h"
#include "ZeichnenAuswahlFrame.h"
#include "ZeichnenDrawObjectTarget.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// A grey georeferenced map of Gauss-Krüger strip 3: top left corner at
// (easting, northing), `metres` per pixel.
bool writeMap(const QString& path, double easting, double northing, double metres, int width, int height) {
    TlmWriter::Options o;
    o.variant = TlmWriter::Variant::C;
    o.bitCount = 8;
    o.palette.push_back(RgbQuad{200, 200, 200, 0});
    o.georef.kind = 255;
    o.georef.zone = 3;
    o.georef.r[0] = -easting / metres;
    o.georef.r[1] = northing / metres;
    o.georef.r[2] = 0;
    o.georef.r[3] = -1.0 / metres;
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

class FrameOnMap : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(medium.isValid());
        basis.setBasePath(medium.path());
        const QString karten = basis.basePath() + "KARTEN/";
        QDir().mkpath(karten);
        // E 3470000..3530000, N 5570000..5630000 and E 3500000..3501500, N 5598500..5600000.
        ASSERT_TRUE(writeMap(karten + "UEB.TLM", 3470000, 5630000, 50.0, 1200, 1200));
        ASSERT_TRUE(writeMap(karten + "AREA1330.TLM", 3500000, 5600000, 1.0, 1500, 1500));
        manager = std::make_unique<LeftRightDataPageManager>(basis.mainWindow());
        basis.mainWindow()->resize(1000, 700);
        basis.mainWindow()->show();
        module = std::make_unique<MainMapModule>();
        module->Sequence().AddEntry({"Übersicht", "UEB.TLM", "", {}});
        module->Sequence().AddEntry({"Top. Karte", "AREA1330.TLM", "", {}});
        module->Sequence().Start(2);
        module->ShowMapPage();
        module->SetCentre(gk(3500700, 5599300), true);
        frame = std::make_unique<TZeichnenAuswahlFrame>();
        QApplication::processEvents();
    }
    void TearDown() override {
        frame.reset();
        module.reset();
        manager.reset();
    }

    QTreeWidgetItem* addSquare(const Coord& position, uint32_t colour) {
        StdDrawAppearance a = StdDrawSymbolStrategy::instance().defaultAppearance();
        a.strategy = &StdDrawSymbolStrategy::instance();
        a.length = 20;
        a.lineStyle = 5;
        a.fillStyle = 0;
        a.fillColor = colour;
        ZeichnenDrawObjectTarget target(*frame, frame->root());
        target.setAppearance(&a);
        target.geometry().points = {position};
        target.commit();
        return frame->root()->child(0);
    }

    // The colour the map window shows at a position.
    QRgb shownAt(const Coord& position) {
        module->Repaint();
        QApplication::processEvents();
        Coord window{};
        window.type = 0xC001;
        if (!module->Transform(position, window))
            return 0;
        return module->Window()->viewport()->grab().toImage().pixel(int(window.x), int(window.y));
    }

    Platform::ScriptedDialogs dialogs;
    QTemporaryDir medium;
    Modul::Basis basis;
    std::unique_ptr<LeftRightDataPageManager> manager;
    std::unique_ptr<MainMapModule> module;
    std::unique_ptr<TZeichnenAuswahlFrame> frame;
};

} // namespace

TEST_F(FrameOnMap, LayerPaintsTheTreeOverTheMap) {
    EXPECT_TRUE(module->Listeners().Contains(&frame->layer())) << "registered when the frame is made";
    const Coord place = gk(3500700, 5599300);
    EXPECT_EQ(shownAt(place), qRgb(200, 200, 200)) << "the map alone";
    QTreeWidgetItem* node = addSquare(place, 0x0000FF);
    EXPECT_EQ(shownAt(place), qRgb(255, 0, 0)) << "the element over the map";

    // Hidden through the box, the element leaves the map.
    frame->tvObjects()->clearSelection();
    node->setSelected(true);
    ASSERT_EQ(frame->chkShow->checkState(), Qt::Checked);
    frame->chkShow->click();
    frame->chkShow->click();
    ASSERT_EQ(frame->chkShow->checkState(), Qt::Unchecked);
    EXPECT_EQ(shownAt(place), qRgb(200, 200, 200));

    frame.reset();
    EXPECT_FALSE(module->Listeners().Contains(nullptr));
    EXPECT_EQ(module->Listeners().Items().size(), 0u) << "the layer leaves with the frame";
}

TEST_F(FrameOnMap, CentreAsksForAnotherMap) {
    // On the shown map: centred without a question.
    const Coord near = gk(3500800, 5599200);
    addSquare(near, 0x00FF00);
    frame->tvObjects()->clearSelection();
    frame->root()->child(0)->setSelected(true);
    frame->pshCenter->click();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    Coord centre{};
    centre.type = 1;
    centre.zone = 3;
    ASSERT_TRUE(module->Position(centre, TTolmWindow::AlignCenter));
    EXPECT_NEAR(centre.y, 3500800, 2);
    EXPECT_NEAR(centre.x, 5599200, 2);

    // Only on the overview: asked, and after Yes shown there.
    const Coord far = gk(3510000, 5610000);
    addSquare(far, 0xFF0000);
    frame->tvObjects()->clearSelection();
    frame->root()->child(0)->setSelected(true);
    dialogs.messageAnswers = {Platform::MsgResult::Yes};
    emit frame->tvObjects()->itemDoubleClicked(frame->root()->child(0), 0);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].caption, QString("Zeichnungselement zentrieren"));
    EXPECT_EQ(dialogs.messages[0].text, QString("Das gewählte Element ist in der aktuellen Karte nicht enthalten.\n"
                                                "Wollen Sie es auf einer anderen Karte sehen?"));
    EXPECT_EQ(module->Sequence().CurrentMapNumber(), 1);
    ASSERT_TRUE(module->Position(centre, TTolmWindow::AlignCenter));
    EXPECT_NEAR(centre.y, 3510000, 60);
    EXPECT_NEAR(centre.x, 5610000, 60);

    // No: the map stays.
    module->Sequence().SelectMap(2);
    dialogs.messages.clear();
    dialogs.messageAnswers = {Platform::MsgResult::No};
    frame->centreSelected();
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(module->Sequence().CurrentMapNumber(), 2);
}
