#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// The arithmetic of a map printout that does not need a printer: the scale
// field's limits, the paper limit, the rounded scale of a fitted print, the
// lines of the margin text and the steps of the scale bar.
namespace PrintLayout {

// The limits of the scale field: 0 stands for "no scale given" and becomes
// the default, everything else is held within minimum .. maximum.
std::int32_t clampScale(std::int64_t n, std::int32_t defaultScale, std::int32_t minimum, std::int32_t maximum);

// The number in a scale field: its text as an integer, 0 when it is none.
std::int64_t scaleFieldValue(const QString& text);

// The printable area of a page, in millimetres and printer pixels. The
// millimetres are kept exact (pixels over the printer's resolution): whole
// millimetres would put the scale of a print off by up to a quarter percent.
struct PrintArea {
    double widthMm = 0;
    double heightMm = 0;
    std::int32_t widthPx = 0;
    std::int32_t heightPx = 0;

    // Paper millimetres per printer pixel, the mean of both directions.
    double millimetresPerPixel() const;
};

// Limits the printable area to the paper (paperWidth x paperHeight mm, used
// as unsigned 16-bit values, so that a huge value means no limit). `tall`
// says whether the print stands upright; paper given taller than wide turns
// the flag, so that either way the longer paper side runs along the longer
// side of the print.
void limitToPaper(PrintArea& area, bool tall, std::int32_t paperWidth, std::int32_t paperHeight);

// The scale of a fitted print: the ground per paper length, cut to its two
// leading digits (three when they read 100): 37654 -> 37000, 100500 -> 100000.
std::int32_t roundedScale(double groundPerPaper);

// The lines of a margin text, last line first: split at CR and LF, empty
// pieces left out.
QStringList marginLinesFromBottom(const QString& text);

// One step of the scale bar: the smallest of 1, 2, 5 x 10^k metres not below
// the ground length `groundMetres`, with the unit its labels are written in
// and the value of one step in that unit.
struct ScaleBarStep {
    double metres = 1.0;
    QString unit;
    double labelValue = 1.0;
};
ScaleBarStep scaleBarStep(double groundMetres);

// The label of tick i (i >= 1) of a bar with that step.
QString scaleBarLabel(const ScaleBarStep& step, int i);

// How many ticks the bar gets and where it starts. The bar with its label
// block (`block` printer pixels wide) is centred under a map `mapRight` wide
// when at least five ticks fit there; otherwise it runs from the left edge
// over the whole print width, with at most 11 ticks.
struct ScaleBarPlacement {
    int ticks = 0;
    int left = 0;
};
ScaleBarPlacement placeScaleBar(int mapRight, int printWidth, double block, double stepWidth);

} // namespace PrintLayout
