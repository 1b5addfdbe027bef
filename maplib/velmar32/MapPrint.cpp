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

QStringList PrintMargin::lines() const {
    QStringList result;
    if (!text.isEmpty())
        result = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (!scaleBar)
        result.append(QStringLiteral("Maßstab 1:%1").arg(qlonglong(std::llround(scale))));
    return result;
}

// Measured upwards from the bottom of the band: the scale bar's block
// covers 0.5 to 3.5 text heights, the last text line stands two text heights
// above the bottom (4.5 with the bar, so that it clears the block), each
// earlier line one text height higher; half a text height of paper separates
// the topmost of them from the map.
namespace {
double lastLineLevel(bool bar) {
    return bar ? 4.5 : 2;
}
} // namespace

int PrintMargin::height(const QFontMetrics& fm) const {
    const qsizetype n = lines().size();
    double levels = hasBar() ? 3.5 : 0;
    if (n > 0)
        levels = std::max(levels, lastLineLevel(hasBar()) + double(n - 1));
    return int(std::ceil((levels + 0.5) * fm.height()));
}

void PrintMargin::draw(QPainter& painter) const {
    const QFontMetrics fm = painter.fontMetrics();
    const double cy = fm.height();
    const double bottom = mapRect.bottom() + 1 + height(fm);
    const double width = mapRect.width();
    const QString scaleText = QStringLiteral("1:%1").arg(qlonglong(std::llround(scale)));

    const QStringList all = lines();
    const double lastLine = lastLineLevel(hasBar());
    for (qsizetype k = 0; k < all.size(); ++k) {
        // A line wider than the page is shortened rather than cut by its edge.
        const QString line = fm.elidedText(all[all.size() - 1 - k], Qt::ElideRight, std::max(1, pageWidth));
        const double lineWidth = fm.horizontalAdvance(line);
        double x = mapRect.left() + std::max(0.0, (width - lineWidth) / 2.0);
        x = std::max(0.0, std::min(x, pageWidth - lineWidth));
        drawTextAt(painter, x, bottom - (lastLine + double(k)) * cy, line);
    }
    if (!hasBar())
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
        // A narrow map: the bar may use the page from its left edge.
        left = 0;
        n = std::clamp(int(std::floor((pageWidth - blockWidth) / s)), 0, 11);
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
    // "Maßstab" and the scale behind the bar, inside the block: the
    // block's last 2 text heights leave one text height of paper on each side.
    const double x = left + n * s + cy;
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

    PrintMargin margin;
    margin.text = params->text ? Cp1252::decode(params->text) : QString();
    margin.scaleBar = params->flags & TLM_PRINT_SCALEBAR;
    margin.scale = params->scale;
    margin.groundPerPixel = groundMm > 0 ? 1 : 0; // only whether there is a bar counts for the height
    margin.pageWidth = int(pixelsW);
    // The map gets the page above the margin's band.
    const double mapHeight = std::max(1.0, pixelsH - margin.height(painter.fontMetrics()));

    QRect mapRect;
    int mapX, mapY;
    double zoom;
    if (params->scale > 0 && groundMm > 0) {
        zoom = map->handle().setZoom(groundMm / params->scale / paperMmPerPixel);
        mapRect = QRect(0, 0, int(pixelsW), int(mapHeight));
        // Centred on the centre of the window's visible area.
        const double cx = (origin.x() + client.width() / 2.0) / windowZoom * zoom;
        const double cy = (origin.y() + client.height() / 2.0) / windowZoom * zoom;
        mapX = int(std::floor(cx - mapRect.width() / 2.0));
        mapY = int(std::floor(cy - mapRect.height() / 2.0));
    } else {
        const double fit = std::min(pixelsW / std::max(1, client.width()), mapHeight / std::max(1, client.height()));
        zoom = map->handle().setZoom(windowZoom * fit);
        const double f = zoom / windowZoom;
        const int w = int(std::min(pixelsW, client.width() * f));
        const int h = int(std::min(mapHeight, client.height() * f));
        // Centred across the page when the height limits it.
        mapRect = QRect(int((pixelsW - w) / 2), 0, w, h);
        mapX = int(std::floor(origin.x() * f));
        mapY = int(std::floor(origin.y() * f));
    }
    // The scale of what is printed: the zoom the map took, which its limits
    // may have kept from the one asked for.
    const double scale = groundMm > 0 ? groundMm / (zoom * paperMmPerPixel) : params->scale;

    // One band: the whole page.
    painter.fillRect(QRectF(0, 0, pixelsW, pixelsH), Background);
    map->handle().draw(painter, mapRect, &mapRect, mapX, mapY);
    {
        Surface surface(&painter);
        surface.bindPrintJob(dup, mapRect, mapX, mapY);
        TLM_PAINTSTRUCT ps{surface.id(), 0, {mapRect.left(), mapRect.top(), mapRect.right() + 1, mapRect.bottom() + 1}};
        if (TLM_HostCallback callback = window->callback()) {
            // The host draws on the map only.
            painter.save();
            painter.setClipRect(mapRect);
            callback(0, TLM_WM_PAINT, 0, reinterpret_cast<intptr_t>(&ps));
            painter.restore();
        }
    }
    painter.fillRect(QRectF(0, mapRect.bottom() + 1, pixelsW, pixelsH - mapRect.bottom() - 1), Background);

    margin.scale = scale;
    margin.groundPerPixel = groundMm > 0 ? groundMm / zoom / 1000 : 0;
    margin.mapRect = mapRect;
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
