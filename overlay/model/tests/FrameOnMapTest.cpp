// The selection frame beside the real map window module, as the program runs
// them: the layer paints the tree in the map window's paint, and centring
// asks the map sequence.
#include "DrawTreeItem.h"
#include "LeftRightFrame.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "MapSequence.h"
#include "ModulBasis.h"
#include "PatternMap.h"
#include "ScriptedDialogs.h"
#include "StdDrawStrategies.h"
#include "TolmWindow.h"
#include "UserDrawLayer.h"
#include "ZeichnenAuswahlFrame.h"
#include "ZeichnenDrawObjectTarget.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(FrameOnMap, LayerPaintsOverTheMapAndCentringAsksForAnotherMap) {
    auto gk = [](double easting, double northing) { return Coord{1, 3, northing, easting}; };
    Platform::ScriptedDialogs dialogs;
    QTemporaryDir medium;
    Modul::Basis basis;
    basis.setBasePath(medium.path());
    // The overview E 3470000..3530000, N 5570000..5630000; the map E 3500000..3501500, N 5598500..5600000.
    ASSERT_TRUE(writePatternMap(basis.basePath() + "KARTEN/UEB.TLM", {3470000, 5630000, 50.0, 1200, 1200}));
    ASSERT_TRUE(writePatternMap(basis.basePath() + "KARTEN/AREA1330.TLM", {3500000, 5600000, 1.0, 1500, 1500}));
    LeftRightDataPageManager manager(basis.mainWindow());
    basis.mainWindow()->resize(1000, 700);
    basis.mainWindow()->show();
    MainMapModule module;
    module.Sequence().AddEntry({"Übersicht", "UEB.TLM", "", {}});
    module.Sequence().AddEntry({"Top. Karte", "AREA1330.TLM", "", {}});
    module.Sequence().Start(2);
    module.ShowMapPage();
    module.SetCentre(gk(3500700, 5599300), true);
    auto frame = std::make_unique<TZeichnenAuswahlFrame>();
    EXPECT_TRUE(module.Listeners().Contains(&frame->layer())) << "registered when the frame is made";

    // A filled square, then selected.
    auto addSquare = [&](const Coord& position, uint32_t colour) {
        StdDrawAppearance a = StdDrawSymbolStrategy::instance().defaultAppearance();
        a.strategy = &StdDrawSymbolStrategy::instance();
        std::tie(a.length, a.lineStyle, a.fillStyle, a.fillColor) = std::tuple(20.0, 5, 0, colour);
        ZeichnenDrawObjectTarget target(*frame, frame->root());
        target.setAppearance(&a);
        target.geometry().points = {position};
        target.commit();
        frame->tvObjects()->setCurrentItem(frame->root()->child(0));
    };
    auto shownAt = [&](const Coord& position) {
        module.Repaint();
        QApplication::processEvents();
        Coord window{0xC001};
        return module.Transform(position, window)
                   ? module.Window()->viewport()->grab().toImage().pixel(int(window.x), int(window.y))
                   : 0;
    };
    auto centre = [&] {
        Coord c{1, 3};
        EXPECT_TRUE(module.Position(c, TTolmWindow::AlignCenter));
        return std::pair(c.y, c.x);
    };
    const Coord place = gk(3500700, 5599300);
    EXPECT_EQ(qGreen(shownAt(place)), 100) << "the map alone";
    addSquare(place, 0x0000FF);
    EXPECT_EQ(shownAt(place), qRgb(255, 0, 0)) << "the element over the map";

    // On the shown map: centred without a question.
    addSquare(gk(3500800, 5599200), 0x00FF00);
    frame->pshCenter->click();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_NEAR(centre().first, 3500800, 2);
    EXPECT_NEAR(centre().second, 5599200, 2);

    // Only on the overview: asked, and after Yes shown there; after No the map stays.
    addSquare(gk(3510000, 5610000), 0xFF0000);
    dialogs.messageAnswers = {Platform::MsgResult::Yes, Platform::MsgResult::No};
    emit frame->tvObjects()->itemDoubleClicked(frame->root()->child(0), 0);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].caption, QString("Zeichnungselement zentrieren"));
    EXPECT_EQ(dialogs.messages[0].text, QString("Das gewählte Element ist in der aktuellen Karte nicht enthalten.\n"
                                                "Wollen Sie es auf einer anderen Karte sehen?"));
    EXPECT_EQ(module.Sequence().CurrentMapNumber(), 1);
    EXPECT_NEAR(centre().first, 3510000, 60);
    EXPECT_NEAR(centre().second, 5610000, 60);
    module.Sequence().SelectMap(2);
    frame->centreSelected();
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(module.Sequence().CurrentMapNumber(), 2);

    frame.reset();
    EXPECT_EQ(module.Listeners().Items().size(), 0u) << "the layer leaves with the frame";
}
