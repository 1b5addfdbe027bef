#include "MosaicGeoreference.h"

#include <algorithm>
#include <cmath>

namespace MapCoords {

MosaicGeoreference::MosaicGeoreference(double eMin, double nMin, double sheetWidth, double sheetHeight, int32_t rows,
                                       int32_t columns, int32_t sheetPixelWidth, int32_t sheetPixelHeight)
    : m_eMin(eMin), m_nMin(nMin), m_sheetWidth(sheetWidth), m_sheetHeight(sheetHeight), m_rows(rows),
      m_columns(columns), m_sheetPixelWidth(sheetPixelWidth), m_sheetPixelHeight(sheetPixelHeight) {
    validate();
}

void MosaicGeoreference::setSheetPixelSize(int32_t sheetPixelWidth, int32_t sheetPixelHeight) {
    m_sheetPixelWidth = sheetPixelWidth;
    m_sheetPixelHeight = sheetPixelHeight;
    validate();
}

void MosaicGeoreference::validate() {
    m_usable = std::isfinite(m_nMin) && std::isfinite(m_sheetWidth) && std::isfinite(m_sheetHeight) &&
               m_sheetWidth > 0.0 && m_sheetHeight > 0.0 && m_rows > 0 && m_columns > 0 && m_sheetPixelWidth > 0 &&
               m_sheetPixelHeight > 0 && floorToInt32(m_eMin * 0.000001, m_zone);
}

NativeSystem MosaicGeoreference::nativeSystem() const {
    if (!m_usable)
        return {};
    return {TypeGaussKrueger, m_zone};
}

Status MosaicGeoreference::pixelToNative(double x, double y, uint32_t, double& a, double& b) const {
    if (!m_usable)
        return StatusNoGeoreference;
    x = std::clamp(x, 0.0, m_columns * m_sheetPixelWidth);
    y = std::clamp(y, 0.0, m_rows * m_sheetPixelHeight);
    // Pixel centres: pixel i covers [i, i + 1) of the sheet's grid.
    b = (x + 0.5) / m_sheetPixelWidth * m_sheetWidth + m_eMin;
    a = (m_rows - (y + 0.5) / m_sheetPixelHeight) * m_sheetHeight + m_nMin;
    return StatusConverted;
}

Status MosaicGeoreference::nativeToPixel(double a, double b, uint32_t, double& x, double& y) const {
    if (!m_usable)
        return StatusNoGeoreference;
    x = (b - m_eMin) / m_sheetWidth * m_sheetPixelWidth - 0.5;
    y = (m_rows - (a - m_nMin) / m_sheetHeight) * m_sheetPixelHeight - 0.5;
    const bool inside = x >= 0.0 && x < m_columns * m_sheetPixelWidth && y >= 0.0 && y < m_rows * m_sheetPixelHeight;
    return inside ? StatusConverted : StatusOutsideMap;
}

} // namespace MapCoords
