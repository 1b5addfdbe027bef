// The arithmetic of a printout (scale fields, paper limit, fitted scale,
// margin lines, scale bar) and the dialog "Was drucken?" that applies it.
#include "PrintLayout.h"
#include "PrintMapWindowDialog.h"
#include "PrintModule.h"
#include "ScriptedDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace PrintLayout;

TEST(PrintLayout, ScaleFieldsAndFittedScale) {
    struct Case {
        const char* text;
        std::int32_t clamped; // default 25000, limits 0 .. 2147483647
        const char* legend;
    } const cases[] = {
        {"0", 25000, "0 means no scale: the default"},
        {"Maßstab", 25000, "text: the default"},
        {"", 25000, "empty field"},
        {"-5", 0, "below the minimum 0"},
        {" 50000 ", 50000, "blanks around a number"},
        {"99999999999", 2147483647, "beyond the maximum"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(clampScale(scaleFieldValue(QString::fromUtf8(c.text)), 25000, 0, 2147483647), c.clamped) << c.legend;
    EXPECT_EQ(clampScale(100, 25000, 5000, 100000), 5000);
    EXPECT_EQ(clampScale(200000, 25000, 5000, 100000), 100000);

    // A fitted print keeps two leading digits (three when they read 100).
    const std::pair<double, std::int32_t> rounded[] = {
        {37654.9, 37000}, {100500, 100000}, {99.9, 99}, {1234567, 1200000}, {0, 0}};
    for (const auto& [ground, scale] : rounded)
        EXPECT_EQ(roundedScale(ground), scale) << ground;
}

TEST(PrintLayout, PaperLimitAndMarginLines) {
    // A3 upright (287 x 410 mm printable) limited to A4 paper, given lying
    // or upright: 210 x 297 mm, the pixels in proportion.
    for (const auto& [paperWidth, paperHeight] : {std::pair{297, 210}, std::pair{210, 297}}) {
        PrintArea tall{287.0, 410.0, 6780, 9685};
        limitToPaper(tall, true, paperWidth, paperHeight);
        EXPECT_DOUBLE_EQ(tall.widthMm, 210.0) << paperWidth;
        EXPECT_DOUBLE_EQ(tall.heightMm, 297.0) << paperWidth;
        EXPECT_EQ(tall.widthPx, static_cast<int>(210.0 / 287.0 * 6780));
        EXPECT_EQ(tall.heightPx, static_cast<int>(297.0 / 410.0 * 9685));
    }
    // Within the paper, and the module's default 2147483647 (no limit): unchanged.
    PrintArea wide{277.0, 190.0, 6543, 4488};
    limitToPaper(wide, false, 297, 210);
    PrintArea huge{1000.0, 2000.0, 1000, 2000};
    limitToPaper(huge, false, 2147483647, 2147483647);
    EXPECT_EQ(QSize(wide.widthPx, wide.heightPx), QSize(6543, 4488));
    EXPECT_EQ(QSize(huge.widthPx, huge.heightPx), QSize(1000, 2000));

    // An empty line between two lines: they stand directly one above the other.
    EXPECT_EQ(marginLinesFromBottom("Rechte\n\nUntertitel"), QStringList({"Untertitel", "Rechte"}));
    EXPECT_EQ(marginLinesFromBottom("a\r\nb\rc"), QStringList({"c", "b", "a"}));
    EXPECT_TRUE(marginLinesFromBottom("\n\r\n").isEmpty());
}

TEST(PrintLayout, ScaleBar) {
    struct Case {
        double ground;
        double step;
        const char* unit;
        const char* labels[3]; // ticks 1, 2, 3
    } const cases[] = {
        {4.3, 5, "m", {"5", "10", "15"}},
        {5, 5, "m", {"5", "10", "15"}},
        {2000, 2000, "km", {"2", "4", "6"}},
        {1999.9, 2000, "km", {"2", "4", "6"}},
        {1, 1, "m", {"1", "2", "3"}},
        {1.0000001, 2, "m", {"2", "4", "6"}},
        {0.043, 0.05, "cm", {"5", "10", "15"}},
        {0.004, 0.005, "mm", {"5", "10", "15"}},
        {999, 1000, "km", {"1", "2", "3"}},
        {430, 500, "m", {"500", "1000", "1500"}},
        {3300000, 5000000, "tkm", {"5", "10", "15"}},
    };
    for (const Case& c : cases) {
        const ScaleBarStep step = scaleBarStep(c.ground);
        EXPECT_NEAR(step.metres, c.step, c.step * 1e-12) << c.ground;
        EXPECT_EQ(step.unit, QString(c.unit)) << c.ground;
        for (int i = 1; i <= 3; ++i)
            EXPECT_EQ(scaleBarLabel(step, i), QString(c.labels[i - 1])) << c.ground << ", tick " << i;
    }
    // Five steps and the label block fit under the map: centred. Fewer than
    // five: the whole print width from the left edge, at most 11 ticks.
    const ScaleBarPlacement centred = placeScaleBar(6000, 6543, 500.0, 1000.0);
    EXPECT_EQ(std::pair(centred.ticks, centred.left), std::pair(5, (6000 - 5500) / 2));
    const ScaleBarPlacement narrow = placeScaleBar(3000, 6543, 500.0, 1000.0);
    EXPECT_EQ(std::pair(narrow.ticks, narrow.left), std::pair(6, 0));
    const ScaleBarPlacement capped = placeScaleBar(400, 6543, 100.0, 100.0);
    EXPECT_EQ(std::pair(capped.ticks, capped.left), std::pair(11, 0));
}

namespace {

void leave(QLineEdit* field) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(field, &out);
}

} // namespace

TEST(PrintDialog, ScaleFieldRules) {
    Platform::ScriptedDialogs dialogs;
    PrintModule module;
    TPrintMapWindowDialog dialog(module);
    ASSERT_TRUE(dialog.SetUp(50000));
    EXPECT_EQ(dialog.ChosenScale(), 0) << "the window content is chosen first";
    dialog.radMassstab->click();
    EXPECT_EQ(dialog.ChosenScale(), 50000) << "the initial scale waited in the field";

    // "0" and text stand for the default, shown once the field is left.
    for (const char* typed : {"0", "abc"}) {
        dialog.sleMassstab->setText(typed);
        EXPECT_FALSE(dialog.pshOK->isEnabled()) << typed << " is not the scale printed";
        EXPECT_EQ(dialog.ChosenScale(), 25000) << typed;
        leave(dialog.sleMassstab);
        EXPECT_EQ(dialog.sleMassstab->text(), "25000") << typed;
        EXPECT_TRUE(dialog.pshOK->isEnabled()) << typed;
    }
    // Below the minimum: OK stays off until the field is corrected, or the
    // window content is chosen, whatever the field holds.
    dialog.sleMassstab->setText("-5");
    EXPECT_FALSE(dialog.pshOK->isEnabled());
    dialog.sleMassstab->setText("10000");
    EXPECT_TRUE(dialog.pshOK->isEnabled());
    EXPECT_EQ(dialog.ChosenScale(), 10000);
    dialog.sleMassstab->setText("-5");
    dialog.radContent->click();
    EXPECT_TRUE(dialog.pshOK->isEnabled());
    EXPECT_EQ(dialog.ChosenScale(), 0);
    dialog.chkMLeiste->click();
    EXPECT_FALSE(dialog.ScaleBar());
    EXPECT_TRUE(module.ScaleBarDefault) << "the module's default stays";

    // Scale only, narrow limits: leaving writes the clamped value back.
    PrintModule scaleOnly;
    scaleOnly.ContentModeAllowed = false;
    scaleOnly.MinScale = 5000;
    scaleOnly.MaxScale = 100000;
    TPrintMapWindowDialog only(scaleOnly);
    ASSERT_TRUE(only.SetUp(25000));
    EXPECT_TRUE(only.OptionPanel->isHidden());
    only.sleMassstabOnly->setText("200000");
    EXPECT_FALSE(only.pshOK->isEnabled());
    leave(only.sleMassstabOnly);
    EXPECT_EQ(only.sleMassstabOnly->text(), "100000");
    EXPECT_EQ(only.ChosenScale(), 100000);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Neither mode allowed: an internal error instead of a dialog.
    PrintModule none;
    none.ScaleModeAllowed = none.ContentModeAllowed = false;
    TPrintMapWindowDialog nothing(none);
    EXPECT_FALSE(nothing.SetUp(25000));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].caption, "Interner Fehler");
}

TEST(PrintDialog, PanelsStackByTag) {
    Platform::ScriptedDialogs dialogs;
    PrintModule module;
    module.SubTitleShown = false;
    TPrintMapWindowDialog dialog(module);
    auto* extra = new QWidget; // a print listener's panel, Tag 3 like the scale bar's
    extra->setFixedSize(400, 30);
    dialog.AddPanel(extra);
    ASSERT_TRUE(dialog.SetUp(25000));
    EXPECT_TRUE(dialog.SubTitlePanel->isHidden());
    EXPECT_EQ(dialog.OptionPanel->y(), 0);
    EXPECT_TRUE(dialog.LeistePanel->y() == dialog.OptionPanel->height() || extra->y() == dialog.OptionPanel->height());
    EXPECT_EQ(dialog.height(), dialog.OptionPanel->height() + dialog.LeistePanel->height() + extra->height() +
                                   dialog.ButtonPanel->height());
    EXPECT_EQ(dialog.ButtonPanel->y() + dialog.ButtonPanel->height(), dialog.height());
    EXPECT_EQ(dialog.width(), 400) << "as wide as the widest panel";
    EXPECT_EQ(dialog.ButtonPanel->x(), (400 - dialog.ButtonPanel->width()) / 2);
}
