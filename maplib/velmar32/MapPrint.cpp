#include "MapPrint.h"

#include "LibraryState.h"

#include "Cp1252.h"
#include "MapCoordCodes.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace Velmar32 {

namespace {

const QColor Background = Qt::white;

void printError(void* owner, const QString& text) {
    const std::string bytes = Cp1252::encode(text);
    messageBox(owner, bytes.c_str(), "Fehler beim Drucken", TLM_MB_ICONERROR);
}

// Text whose top left corner is at (x, top), black on the background, opaque.
void drawTextAt(QPainter& painter, double x, double top, const QString& text) {
    const QFontMetrics fm = painter.fontMetrics();
    const QRectF box(x, top, fm.horizontalAdvance(text), fm.height());
    painter.fillRect(box, Background);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(x, top + fm.ascent()), text);
}

void drawCentred(QPainter& painter, double centre, double top, const QString& text) {
    drawTextAt(painter, centre - painter.fontMetrics().horizontalAdvance(text) / 2.0, top, text);
}

// Metres between display pixels (0, 0) and (1, 0) of a map; 0 when the map
// has no georeference.
double metresPerDisplayPixel(TLM_HANDLE map) {
    Coord a, b, ga, gb;
    a.type = b.type = TLM_COORD_MAP_PIXEL;
    a.zone = b.zone = map;
    b.x = 1;
    ga.type = gb.type = TLM_COORD_GAUSS_KRUEGER;
    if (TLM_TransformCoords(&a, &ga) != 1)
        return 0;
    gb.zone = ga.zone;
    if (TLM_TransformCoords(&b, &gb) != 1)
        return 0;
    return std::hypot(gb.x - ga.x, gb.y - ga.y);
}

} // namespace

double scaleBarSegment(double metres) {
    if (!(metres > 0) || !std::isfinite(metres))
        return 1;
    double decade = std::pow(10.0, std::floor(std::log10(metres)) - 1);
    for (;;) {
        for (double step : {1.0, 2.0, 5.0})
            if (step * decade >= metres * (1 - 1e-12))
                return step * decade;
        decade *= 10;
    }
}

void PrintMargin::draw(QPainter& painter) const {
    const QFontMetrics fm = painter.fontMetrics();
    const double cy = fm.height();
    const double bottom = mapRect.bottom() + 1;
    const double width = mapRect.width();
    const QString scaleText = QStringLiteral("1:%1").arg(qlonglong(std::llround(scale)));

    QStringList lines;
    if (!text.isEmpty())
        lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (!scaleBar)
        lines.append(QStringLiteral("Maßstab ") + scaleText);
    // From the last line upwards, the last one two text heights above the
    // bottom. The scale bar's block covers the bottom 3.5 text heights, so
    // with the bar the lines stand above it instead of vanishing beneath it.
    const double lastLine = scaleBar && groundPerPixel > 0 ? 4.5 : 2;
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const QString& line = lines[lines.size() - 1 - k];
        const double x = mapRect.left() + std::max(0.0, (width - fm.horizontalAdvance(line)) / 2.0);
        drawTextAt(painter, x, bottom - (lastLine + double(k)) * cy, line);
    }
    if (!scaleBar || !(groundPerPixel > 0))
        return;

    const double g = groundPerPixel * (cy + fm.horizontalAdvance(QStringLiteral("8888")));
    const double c = scaleBarSegment(g);
    const char* unit;
    double factor;
    if (c >= 1000000) {
        unit = "tkm";
        factor = 0.000001;
    } else if (c >= 1000) {
        unit = "km";
        factor = 0.001;
    } else if (c >= 1) {
        unit = "m";
        factor = 1;
    } else if (c >= 0.01) {
        unit = "cm";
        factor = 100;
    } else {
        unit = "mm";
        factor = 1000;
    }
    const double s = c / groundPerPixel;
    const double scaleWidth = fm.horizontalAdvance(scaleText);
    const double blockWidth = std::max(scaleWidth, double(fm.horizontalAdvance(QStringLiteral("Maßstab")))) + 2 * cy;
    int n = int(std::floor((width - blockWidth) / s));
    double left;
    if (n > 4) {
        left = mapRect.left() + (width - (blockWidth + n * s)) / 2;
    } else {
        n = std::clamp(int(std::floor((pageWidth - blockWidth) / s)), 0, 11);
        left = mapRect.left();
    }
    painter.fillRect(QRectF(left, bottom - 3.5 * cy, blockWidth + n * s, 3 * cy), Background);
    for (int i = 0; i < n; ++i) {
        const double tick = left + (i + 0.5) * s;
        if (i == 0) {
            drawCentred(painter, tick, bottom - 2 * cy, QString::fromLatin1(unit));
            continue;
        }
        drawCentred(painter, tick, bottom - 2 * cy, QString::number(qlonglong(std::llround(i * c * factor))));
        painter.setPen(Qt::black);
        painter.setBrush(i % 2 ? Qt::black : Qt::white);
        painter.drawRect(QRectF(tick - s, bottom - 3 * cy, s, cy));
    }
    const double x = left + scaleWidth + n * s;
    drawTextAt(painter, x, bottom - 3 * cy, QStringLiteral("Maßstab"));
    drawTextAt(painter, x, bottom - 2 * cy, scaleText);
}

} // namespace Velmar32

using namespace Velmar32;

extern "C" {

VELMAR32_API int32_t TLM_Print(const TLM_PRINTPARAMS* params) {
    if (!params)
        return 0;
    MapWindow* window = findWindow(params->window);
    LibMap* shown = window ? window->map() : nullptr;
    if (!shown)
        return 0;
    const TLM_HANDLE dup = TLM_Duplicate(shown->id());
    LibMap* map = findMap(dup);
    if (!map) {
        printError(params->owner, QStringLiteral("Nicht genügend Arbeitsspeicher"));
        return 0;
    }
    struct Closer {
        TLM_HANDLE id;
        ~Closer() { TLM_Close(id); }
    } closer{dup};

    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Karte"));
    int answer;
    if (library().printDialog) {
        answer = library().printDialog(params->owner, &printer);
    } else {
        QPrintDialog dialog(&printer, static_cast<QWidget*>(params->owner));
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        answer = dialog.exec() == QDialog::Accepted ? 1 : 0;
    }
    if (answer == 0)
        return 0;
    if (answer < 0) {
        printError(params->owner, QString());
        return 0;
    }

    QPainter painter;
    if (!painter.begin(&printer))
        return 0;

    // Printable area, limited to the paper of the parameters: the longer
    // printer side pairs with the longer paper side.
    double pixelsW = printer.width();
    double pixelsH = printer.height();
    double mmW = printer.widthMM();
    double mmH = printer.heightMM();
    const double paperLong = std::max(params->paperWidth, params->paperHeight);
    const double paperShort = std::min(params->paperWidth, params->paperHeight);
    const double limitW = mmW >= mmH ? paperLong : paperShort;
    const double limitH = mmW >= mmH ? paperShort : paperLong;
    if (limitW > 0 && mmW > limitW) {
        pixelsW = pixelsW * limitW / mmW;
        mmW = limitW;
    }
    if (limitH > 0 && mmH > limitH) {
        pixelsH = pixelsH * limitH / mmH;
        mmH = limitH;
    }
    const double paperMmPerPixel = (mmW / pixelsW + mmH / pixelsH) / 2;

    const double windowZoom = shown->handle().zoom();
    const QRect client = window->clientRect();
    const QPoint origin = window->origin();
    // Ground millimetres per unzoomed map pixel.
    const double groundMm = 1000 * metresPerDisplayPixel(shown->id()) * windowZoom;

    double scale = params->scale;
    QRect mapRect;
    int mapX, mapY;
    double zoom;
    if (scale > 0 && groundMm > 0) {
        zoom = map->handle().setZoom(groundMm / scale / paperMmPerPixel);
        mapRect = QRect(0, 0, int(pixelsW), int(pixelsH));
        // Centred on the centre of the window's visible area.
        const double cx = (origin.x() + client.width() / 2.0) / windowZoom * zoom;
        const double cy = (origin.y() + client.height() / 2.0) / windowZoom * zoom;
        mapX = int(std::floor(cx - pixelsW / 2));
        mapY = int(std::floor(cy - pixelsH / 2));
    } else {
        const double fit = std::min(pixelsW / std::max(1, client.width()), pixelsH / std::max(1, client.height()));
        zoom = map->handle().setZoom(windowZoom * fit);
        const double f = zoom / windowZoom;
        mapRect = QRect(0, 0, int(std::min(pixelsW, client.width() * f)), int(std::min(pixelsH, client.height() * f)));
        mapX = int(std::floor(origin.x() * f));
        mapY = int(std::floor(origin.y() * f));
        scale = groundMm > 0 ? groundMm / (zoom * paperMmPerPixel) : 0;
    }

    // One band: the whole page.
    painter.fillRect(mapRect, Background);
    map->handle().draw(painter, mapRect, &mapRect, mapX, mapY);
    {
        Surface surface(&painter);
        surface.bindPrintJob(dup, mapRect, mapX, mapY);
        TLM_PAINTSTRUCT ps{surface.id(), 0, {mapRect.left(), mapRect.top(), mapRect.right() + 1, mapRect.bottom() + 1}};
        if (TLM_HostCallback callback = window->callback())
            callback(0, TLM_WM_PAINT, 0, reinterpret_cast<intptr_t>(&ps));
    }
    painter.fillRect(QRectF(0, mapRect.bottom() + 1, pixelsW, pixelsH - mapRect.bottom() - 1), Background);

    PrintMargin margin;
    margin.text = params->text ? Cp1252::decode(params->text) : QString();
    margin.scaleBar = params->flags & TLM_PRINT_SCALEBAR;
    margin.scale = scale;
    margin.groundPerPixel = groundMm > 0 ? groundMm / zoom / 1000 : 0;
    margin.mapRect = mapRect;
    margin.pageWidth = int(pixelsW);
    margin.draw(painter);
    return painter.end() ? 1 : 0;
}

VELMAR32_API int32_t TLM_IsPrintDC(TLM_HDC dc) {
    Surface* surface = findSurface(dc);
    return surface && surface->isPrintJob() ? 1 : 0;
}

VELMAR32_API int32_t TLM_DC_GetClientRect(TLM_HDC dc, TLM_RECT* rect) {
    Surface* surface = findSurface(dc);
    if (!surface || !rect)
        return 0;
    QRect r;
    if (surface->isPrintJob()) {
        r = surface->printRect();
    } else if (surface->binding().kind == MapCoords::CoordSurface::Kind::Window) {
        MapWindow* window = findWindow(surface->binding().id);
        if (!window)
            return 0;
        r = window->clientRect();
    } else {
        return 0;
    }
    *rect = TLM_RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    return 1;
}

} // extern "C"
