// The dialog "Was drucken?": its panels by the module's switches, the rules
// of the scale fields and the internal error when nothing may be printed.
#include "PrintMapWindowDialog.h"
#include "PrintModule.h"
#include "ScriptedDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

void leave(QLineEdit* field) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(field, &out);
}

} // namespace

TEST(PrintDialog, BothModesScaleFieldRules) {
    Platform::ScriptedDialogs dialogs;
    PrintModule module;
    module.SubTitleShown = true;
    module.SubTitle = "Wanderung";
    TPrintMapWindowDialog dialog(module);
    ASSERT_TRUE(dialog.SetUp(50000));
    EXPECT_EQ(dialog.windowTitle(), "Was drucken?");
    EXPECT_FALSE(dialog.OptionPanel->isHidden());
    EXPECT_TRUE(dialog.MassstabOnlyPanel->isHidden());
    EXPECT_EQ(dialog.sleMassstab->text(), "50000") << "the initial scale waits in the field";
    EXPECT_FALSE(dialog.sleMassstab->isEnabled());
    EXPECT_EQ(dialog.ChosenScale(), 0) << "the window content is chosen first";
    EXPECT_EQ(dialog.mleTitle->toPlainText(), "Wanderung");
    EXPECT_TRUE(dialog.chkMLeiste->isChecked());

    dialog.radMassstab->click();
    EXPECT_TRUE(dialog.sleMassstab->isEnabled());
    EXPECT_EQ(dialog.ChosenScale(), 50000);
    EXPECT_TRUE(dialog.pshOK->isEnabled());

    // "0" and text stand for the default, shown once the field is left.
    for (const char* typed : {"0", "abc"}) {
        dialog.sleMassstab->setText(typed);
        EXPECT_FALSE(dialog.pshOK->isEnabled()) << typed << " is not the scale printed";
        EXPECT_EQ(dialog.ChosenScale(), 25000) << typed;
        leave(dialog.sleMassstab);
        EXPECT_EQ(dialog.sleMassstab->text(), "25000") << typed;
        EXPECT_TRUE(dialog.pshOK->isEnabled()) << typed;
    }
    // Below the minimum 0: OK stays off until the field is corrected.
    dialog.sleMassstab->setText("-5");
    EXPECT_FALSE(dialog.pshOK->isEnabled());
    dialog.sleMassstab->setText("10000");
    EXPECT_TRUE(dialog.pshOK->isEnabled());
    EXPECT_EQ(dialog.ChosenScale(), 10000);

    // Back to the content: OK on, no scale, whatever the field holds.
    dialog.sleMassstab->setText("-5");
    dialog.radContent->click();
    EXPECT_TRUE(dialog.pshOK->isEnabled());
    EXPECT_FALSE(dialog.sleMassstab->isEnabled());
    EXPECT_EQ(dialog.ChosenScale(), 0);

    dialog.chkMLeiste->click();
    EXPECT_FALSE(dialog.ScaleBar());
    EXPECT_TRUE(module.ScaleBarDefault) << "the module's default stays";
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(PrintDialog, OnlyOneModeOrNone) {
    Platform::ScriptedDialogs dialogs;
    {
        PrintModule module;
        module.ContentModeAllowed = false;
        module.MinScale = 5000;
        module.MaxScale = 100000;
        TPrintMapWindowDialog dialog(module);
        ASSERT_TRUE(dialog.SetUp(25000));
        EXPECT_TRUE(dialog.OptionPanel->isHidden());
        EXPECT_FALSE(dialog.MassstabOnlyPanel->isHidden());
        EXPECT_EQ(dialog.sleMassstabOnly->text(), "25000");
        EXPECT_EQ(dialog.ChosenScale(), 25000);
        dialog.sleMassstabOnly->setText("200000");
        EXPECT_FALSE(dialog.pshOK->isEnabled());
        EXPECT_EQ(dialog.ChosenScale(), 100000);
        leave(dialog.sleMassstabOnly);
        EXPECT_EQ(dialog.sleMassstabOnly->text(), "100000") << "leaving writes the clamped value back";
        EXPECT_TRUE(dialog.pshOK->isEnabled());
    }
    {
        PrintModule module;
        module.ScaleModeAllowed = false;
        TPrintMapWindowDialog dialog(module);
        ASSERT_TRUE(dialog.SetUp(25000));
        EXPECT_EQ(dialog.windowTitle(), "Kartenfenster drucken");
        EXPECT_TRUE(dialog.OptionPanel->isHidden());
        EXPECT_TRUE(dialog.MassstabOnlyPanel->isHidden());
        EXPECT_EQ(dialog.ChosenScale(), 0);
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
    {
        PrintModule module;
        module.ScaleModeAllowed = false;
        module.ContentModeAllowed = false;
        TPrintMapWindowDialog dialog(module);
        EXPECT_FALSE(dialog.SetUp(25000));
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages[0].text, "Bitte kontaktieren Sie den Programmautor.");
        EXPECT_EQ(dialogs.messages[0].caption, "Interner Fehler");
        EXPECT_EQ(dialogs.messages[0].icon, Platform::MsgIcon::Error);
    }
}

TEST(PrintDialog, PanelsStackByTag) {
    Platform::ScriptedDialogs dialogs;
    PrintModule module;
    module.SubTitleShown = false;
    TPrintMapWindowDialog dialog(module);
    // A panel of a print listener goes in among the others with Tag 3.
    auto* extra = new QWidget;
    extra->setFixedSize(400, 30);
    dialog.AddPanel(extra);
    ASSERT_TRUE(dialog.SetUp(25000));

    EXPECT_TRUE(dialog.SubTitlePanel->isHidden()) << "subtitle switched off";
    EXPECT_EQ(dialog.OptionPanel->y(), 0) << "Tag 0 on top";
    const int top = dialog.OptionPanel->height();
    // Tag 3 twice (scale bar and the extra panel), then the buttons at the bottom.
    EXPECT_TRUE(dialog.LeistePanel->y() == top || extra->y() == top);
    EXPECT_EQ(dialog.ButtonPanel->y() + dialog.ButtonPanel->height(), dialog.height());
    EXPECT_EQ(dialog.height(), dialog.OptionPanel->height() + dialog.LeistePanel->height() + extra->height() +
                                   dialog.ButtonPanel->height());
    EXPECT_EQ(dialog.width(), 400) << "as wide as the widest panel";
    EXPECT_EQ(extra->x(), 0);
    EXPECT_EQ(dialog.ButtonPanel->x(), (400 - dialog.ButtonPanel->width()) / 2) << "centred";
}
