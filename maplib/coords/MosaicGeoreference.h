#pragma once

#include "MapGeoreference.h"

#include <cstdint>

namespace MapCoords {

// Georeference of a sheet mosaic: equal sheets laid out on a grid of `rows`
// × `columns` cells from the lower left corner (Emin, Nmin), each sheet
// `sheetWidth` × `sheetHeight` map units (metres of Gauss-Krüger) and
// `sheetPixelWidth` × `sheetPixelHeight` display pixels at the current zoom
// (the reference sheet's size). Row 0 is the northernmost. Option bits have
// no effect on a mosaic.
//
// A grid without extent (no cells, sheets of size 0, values that are not
// finite) behaves as no georeference.
class MosaicGeoreference final : public MapGeoreference {
public:
    MosaicGeoreference(double eMin, double nMin, double sheetWidth, double sheetHeight, int32_t rows, int32_t columns,
                       int32_t sheetPixelWidth, int32_t sheetPixelHeight);

    // The reference sheet's display size after a zoom change.
    void setSheetPixelSize(int32_t sheetPixelWidth, int32_t sheetPixelHeight);
    bool usable() const { return m_usable; }

    NativeSystem nativeSystem() const override;
    Status pixelToNative(double x, double y, uint32_t options, double& a, double& b) const override;
    Status nativeToPixel(double a, double b, uint32_t options, double& x, double& y) const override;

private:
    void validate();

    double m_eMin, m_nMin;
    double m_sheetWidth, m_sheetHeight;
    double m_rows, m_columns;
    double m_sheetPixelWidth = 0, m_sheetPixelHeight = 0;
    int32_t m_zone = 0;
    bool m_usable = false;
};

} // namespace MapCoords
