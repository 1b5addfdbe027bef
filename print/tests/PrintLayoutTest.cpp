// The arithmetic of a printout: scale field limits, paper limit, the rounded
// scale of a fitted print, margin lines and the steps of the scale bar.
#include "PrintLayout.h"

#include <gtest/gtest.h>

using namespace PrintLayout;

TEST(PrintLayout, ScaleFieldClamping) {
    // default 25000, limits 0 .. 2147483647 as the module starts
    struct Case {
        const char* text;
        std::int64_t value;
        std::int32_t clamped;
        const char* legend;
    } const cases[] = {
        {"0", 0, 25000, "0 means no scale: the default"},
        {"Maßstab", 0, 25000, "text is no number: the default"},
        {"", 0, 25000, "empty field"},
        {"-5", -5, 0, "below the minimum 0"},
        {" 50000 ", 50000, 50000, "blanks around a number"},
        {"99999999999", 99999999999LL, 2147483647, "beyond the maximum"},
    };
    for (const Case& c : cases) {
        const std::int64_t n = scaleFieldValue(QString::fromUtf8(c.text));
        EXPECT_EQ(n, c.value) << c.legend;
        EXPECT_EQ(clampScale(n, 25000, 0, 2147483647), c.clamped) << c.legend;
    }
    // Narrow limits of a module that wants them.
    EXPECT_EQ(clampScale(100, 25000, 5000, 100000), 5000);
    EXPECT_EQ(clampScale(200000, 25000, 5000, 100000), 100000);
    EXPECT_EQ(clampScale(0, 25000, 5000, 100000), 25000);
}

TEST(PrintLayout, PaperLimit) {
    // A4 lying, 600 dpi: 277 x 190 mm printable.
    PrintArea wide{277.0, 190.0, 6543, 4488};
    limitToPaper(wide, false, 297, 210);
    EXPECT_EQ(wide.widthPx, 6543) << "within 297 x 210 nothing changes";
    EXPECT_EQ(wide.heightPx, 4488);

    // A3 upright: 287 x 410 mm; a tall print is limited to 210 wide, 297 high.
    PrintArea tall{287.0, 410.0, 6780, 9685};
    limitToPaper(tall, true, 297, 210);
    EXPECT_DOUBLE_EQ(tall.widthMm, 210.0);
    EXPECT_DOUBLE_EQ(tall.heightMm, 297.0);
    EXPECT_EQ(tall.widthPx, static_cast<int>(210.0 / 287.0 * 6780));
    EXPECT_EQ(tall.heightPx, static_cast<int>(297.0 / 410.0 * 9685));

    // The same paper given upright (210 x 297) turns the flag: same result.
    PrintArea turned{287.0, 410.0, 6780, 9685};
    limitToPaper(turned, true, 210, 297);
    EXPECT_DOUBLE_EQ(turned.widthMm, 210.0) << "paper taller than wide turns the tall flag";
    EXPECT_DOUBLE_EQ(turned.heightMm, 297.0);

    // The module's default 2147483647 reads 65535 mm: no limit.
    PrintArea huge{1000.0, 2000.0, 1000, 2000};
    limitToPaper(huge, false, 2147483647, 2147483647);
    EXPECT_EQ(huge.widthPx, 1000);
    EXPECT_EQ(huge.heightPx, 2000);

    EXPECT_NEAR(PrintArea({254.0, 254.0, 6000, 6000}).millimetresPerPixel(), 25.4 / 600, 1e-15);
}

TEST(PrintLayout, ContentScaleKeepsTwoLeadingDigits) {
    EXPECT_EQ(roundedScale(37654.9), 37000);
    EXPECT_EQ(roundedScale(100500.0), 100000) << "three digits when they read 100";
    EXPECT_EQ(roundedScale(99.9), 99);
    EXPECT_EQ(roundedScale(1234567.0), 1200000);
    EXPECT_EQ(roundedScale(25000.0), 25000);
    EXPECT_EQ(roundedScale(0.0), 0) << "no ground length: no scale";
}

TEST(PrintLayout, MarginLines) {
    // An empty line between two lines: the two stand directly one above the other.
    EXPECT_EQ(marginLinesFromBottom("Rechte\n\nUntertitel"), QStringList({"Untertitel", "Rechte"}));
    EXPECT_EQ(marginLinesFromBottom("a\r\nb\rc"), QStringList({"c", "b", "a"})) << "CR and LF both end a line";
    EXPECT_TRUE(marginLinesFromBottom(QString("  \n\t ").trimmed()).isEmpty()) << "white space only: no text";
    EXPECT_TRUE(marginLinesFromBottom("\n\r\n").isEmpty());
}

TEST(PrintLayout, ScaleBarSteps) {
    struct Case {
        double ground;
        double step;
        const char* unit;
        const char* labels[3]; // ticks 1, 2, 3
        const char* legend;
    } const cases[] = {
        {4.3, 5, "m", {"5", "10", "15"}, "4.3 m of ground: 5 m steps"},
        {2000, 2000, "km", {"2", "4", "6"}, "2000 m"},
        {1999.9, 2000, "km", {"2", "4", "6"}, "just under 2 km"},
        {1, 1, "m", {"1", "2", "3"}, "exactly 1 m"},
        {1.0000001, 2, "m", {"2", "4", "6"}, "just over 1 m"},
        {5, 5, "m", {"5", "10", "15"}, "exactly 5 m"},
        {10, 10, "m", {"10", "20", "30"}, "exactly 10 m"},
        {0.043, 0.05, "cm", {"5", "10", "15"}, "centimetres"},
        {0.2, 0.2, "cm", {"20", "40", "60"}, "exactly 0.2 m"},
        {0.004, 0.005, "mm", {"5", "10", "15"}, "millimetres"},
        {999, 1000, "km", {"1", "2", "3"}, "999 m: 1 km"},
        {430, 500, "m", {"500", "1000", "1500"}, "the bar of a 1:25000 print"},
        {3300000, 5000000, "tkm", {"5", "10", "15"}, "thousands of kilometres"},
    };
    for (const Case& c : cases) {
        const ScaleBarStep step = scaleBarStep(c.ground);
        EXPECT_NEAR(step.metres, c.step, c.step * 1e-12) << c.legend;
        EXPECT_EQ(step.unit, QString(c.unit)) << c.legend;
        for (int i = 1; i <= 3; ++i)
            EXPECT_EQ(scaleBarLabel(step, i), QString(c.labels[i - 1])) << c.legend << ", tick " << i;
    }
}

TEST(PrintLayout, ScaleBarPlacement) {
    // Five whole steps and the label block fit under the map: centred there.
    const ScaleBarPlacement centred = placeScaleBar(6000, 6543, 500.0, 1000.0);
    EXPECT_EQ(centred.ticks, 5);
    EXPECT_EQ(centred.left, (6000 - 5500) / 2);

    // Fewer than five: the whole print width from the left edge ...
    const ScaleBarPlacement narrow = placeScaleBar(3000, 6543, 500.0, 1000.0);
    EXPECT_EQ(narrow.ticks, 6);
    EXPECT_EQ(narrow.left, 0);
    // ... with at most 11 ticks.
    const ScaleBarPlacement capped = placeScaleBar(400, 6543, 100.0, 100.0);
    EXPECT_EQ(capped.ticks, 11);
    EXPECT_EQ(capped.left, 0);
}
