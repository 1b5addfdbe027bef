#include "DrawSupport.h"

#include "DimmerDialog.h"
#include "LayerDialog.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

std::unique_ptr<MapHandle> openLayered(DrawTempDir& dir) {
    TlmWriter::Options o = mapOptions(8, 16, 16);
    o.variant = TlmWriter::Variant::C;
    o.layers = {{0x0F, 0, 1, 15, "Grundriss"}, {0x30, 0, 0x10, 0x30, "Gew\xE4sser"}, {0xC0, 0, 0x40, 0xC0, "Wald"}};
    const std::string path = dir.path("layers.tlm");
    EXPECT_TRUE(writeMap(path, 16, 16, o, [](int x, int) { return uint32_t(x); }));
    return MapHandle::open(path);
}

TEST(DimmerDialog, ScrollCodesAndPercentText) {
    struct Case {
        int value, code, thumb, expected;
    } cases[] = {
        {0, DimmerDialog::LineLeft, 0, 0},
        {10, DimmerDialog::LineLeft, 0, 9},
        {255, DimmerDialog::LineRight, 0, 255},
        {10, DimmerDialog::LineRight, 0, 11},
        {15, DimmerDialog::PageLeft, 0, 0},
        {16, DimmerDialog::PageLeft, 0, 0},
        {20, DimmerDialog::PageLeft, 0, 4},
        {239, DimmerDialog::PageRight, 0, 255},
        {240, DimmerDialog::PageRight, 0, 255},
        {100, DimmerDialog::PageRight, 0, 116},
        {100, DimmerDialog::ThumbPosition, 77, 77},
        {100, DimmerDialog::ThumbTrack, 77, 100},
        {100, DimmerDialog::Left, 0, 0},
        {100, DimmerDialog::Right, 0, 255},
        {100, DimmerDialog::EndScroll, 0, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DimmerDialog::scrolled(c.value, c.code, c.thumb), c.expected) << c.value << " code " << c.code;
    EXPECT_EQ(DimmerDialog::percentText(255), "100.0%");
    EXPECT_EQ(DimmerDialog::percentText(0), "  0.0%");
    EXPECT_EQ(DimmerDialog::percentText(128), " 50.2%");
}

TEST(DimmerDialog, ScrollBarOkAndCancel) {
    DrawTempDir dir;
    auto map = openLayered(dir);
    ASSERT_TRUE(map);
    {
        DimmerDialog dialog(*map);
        EXPECT_EQ(dialog.windowTitle(), "Abdunkeln");
        EXPECT_EQ(dialog.valueLabel()->text(), "100.0%");
        EXPECT_EQ(dialog.okButton()->text(), "OK");
        EXPECT_EQ(dialog.cancelButton()->text(), "Abbrechen");
        QScrollBar* bar = dialog.scrollBar();
        EXPECT_EQ(bar->minimum(), 0);
        EXPECT_EQ(bar->maximum(), 255);
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        EXPECT_EQ(dialog.value(), 239);
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        EXPECT_EQ(dialog.value(), 238);
        EXPECT_EQ(dialog.valueLabel()->text(), " 93.3%");
        // Dragging the thumb changes nothing until it is let go.
        bar->setSliderDown(true);
        bar->setSliderPosition(10);
        EXPECT_EQ(dialog.value(), 238);
        bar->setSliderDown(false);
        EXPECT_EQ(dialog.value(), 10);
        EXPECT_EQ(dialog.valueLabel()->text(), "  3.9%");
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        EXPECT_EQ(dialog.value(), 0);
        dialog.scroll(DimmerDialog::PageRight);
        EXPECT_EQ(dialog.value(), 16);
        EXPECT_EQ(bar->value(), 16);
        dialog.okButton()->click();
        EXPECT_EQ(dialog.result(), DimmerDialog::Changed);
        EXPECT_EQ(map->dimmer(), 16);
    }
    {
        DimmerDialog dialog(*map);
        EXPECT_EQ(dialog.value(), 16);
        dialog.okButton()->click(); // same value
        EXPECT_EQ(dialog.result(), DimmerDialog::Unchanged);
    }
    {
        DimmerDialog dialog(*map);
        dialog.scroll(DimmerDialog::Right);
        dialog.cancelButton()->click();
        EXPECT_EQ(dialog.result(), DimmerDialog::Unchanged);
        EXPECT_EQ(map->dimmer(), 16);
    }
}

TEST(DimmerDialog, AskAnswersTrueOnlyForAChange) {
    DrawTempDir dir;
    auto map = openLayered(dir);
    ASSERT_TRUE(map);
    auto answer = [](bool moveFirst) {
        QTimer::singleShot(0, [moveFirst] {
            auto* dialog = qobject_cast<DimmerDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            if (moveFirst)
                dialog->scroll(DimmerDialog::LineLeft);
            dialog->okButton()->click();
        });
    };
    answer(true);
    EXPECT_TRUE(DimmerDialog::ask(*map, nullptr));
    EXPECT_EQ(map->dimmer(), 254);
    answer(false);
    EXPECT_FALSE(DimmerDialog::ask(*map, nullptr));
}

TEST(LayerDialog, SelectionBuildsTheMask) {
    DrawTempDir dir;
    auto map = openLayered(dir);
    ASSERT_TRUE(map);
    ASSERT_TRUE(map->setLayerMask(0b101));
    {
        LayerDialog dialog(*map);
        EXPECT_EQ(dialog.windowTitle(), "Folien auswählen");
        QListWidget* list = dialog.list();
        EXPECT_EQ(list->selectionMode(), QAbstractItemView::MultiSelection);
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->item(1)->text(), "Gewässer");
        EXPECT_TRUE(list->item(0)->isSelected());
        EXPECT_FALSE(list->item(1)->isSelected());
        EXPECT_TRUE(list->item(2)->isSelected());
        list->item(2)->setSelected(false);
        list->item(1)->setSelected(true);
        EXPECT_EQ(dialog.selectedMask(), 0b011u);
        dialog.okButton()->click();
        EXPECT_EQ(dialog.result(), LayerDialog::Changed);
        EXPECT_EQ(map->layerMask(), 0b011u);
    }
    {
        LayerDialog dialog(*map);
        dialog.okButton()->click();
        EXPECT_EQ(dialog.result(), LayerDialog::Unchanged);
    }
    {
        LayerDialog dialog(*map);
        dialog.list()->clearSelection();
        dialog.cancelButton()->click();
        EXPECT_EQ(dialog.result(), LayerDialog::Unchanged);
        EXPECT_EQ(map->layerMask(), 0b011u);
    }
}

} // namespace
