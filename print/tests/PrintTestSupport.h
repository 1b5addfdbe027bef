#pragma once

#include <QImage>
#include <QPointF>
#include <QString>

#include <functional>
#include <optional>

// The demo data medium and the rendering of printed PDF pages, shared by
// the print tests.
namespace PrintTestSupport {

// The demo medium made by the command-line tool, once per build tree (all
// test processes share it); empty when it could not be made.
QString demoMedium();

// The medium's start-up centre (Gauss-Krüger easting and northing).
bool demoCentre(double& easting, double& northing);

// Renders page 1 of a PDF at `dpi` with pdftoppm, only the part `crop` (in
// pixels at that resolution) when given; a null image on failure.
QImage renderPdf(const QString& pdf, int dpi, const QRect& crop = {});

// The centre of the pixels that pass `match` within the box; none when
// there are none.
std::optional<QPointF> centroid(const QImage& image, const QRect& box, const std::function<bool(QRgb)>& match);

// Pure red marks drawn by the tests, after the renderer's smoothing.
bool isMarkRed(QRgb pixel);

} // namespace PrintTestSupport
