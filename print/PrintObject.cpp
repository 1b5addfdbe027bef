#include "PrintObject.h"

#include "ListenerIterator.h"
#include "MapWindowModule.h"
#include "PlatformDialogs.h"
#include "PrintModule.h"
#include "TolmWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

#include <dlfcn.h>

namespace {

using OverlayDrawFn = int32_t (*)(TLM_HANDLE, TLM_HDC, const TLM_RECT*, const TLM_RECT*, int32_t, int32_t, void*);

// The optional overlay library, looked for at the first print that has an
// overlay to draw: beside the program, then by the loader.
OverlayDrawFn overlayDrawFunction() {
    static const OverlayDrawFn function = [] {
        const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/libTLM_Overlay.so");
        void* lib = dlopen(QFile::encodeName(beside).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            lib = dlopen("libTLM_Overlay.so", RTLD_NOW | RTLD_LOCAL);
        return lib ? reinterpret_cast<OverlayDrawFn>(dlsym(lib, "TLM_Overlay_Draw")) : nullptr;
    }();
    return function;
}

// Ground millimetres between display pixels (0, 0) and (1, 0) of a map at
// its current zoom; 0 when the map has no georeference. The maps of this
// system count their own system in metres.
double groundMillimetresPerDisplayPixel(TLM_HANDLE map) {
    Coord a{};
    a.type = TLM_COORD_MAP_PIXEL;
    a.zone = map;
    Coord b = a;
    b.x = 1;
    Coord na{};
    Coord nb{};
    if (TLM_TransformCoords(&a, &na) != 1 || TLM_TransformCoords(&b, &nb) != 1)
        return 0.0;
    return std::hypot(nb.x - na.x, nb.y - na.y) * 1000.0;
}

double zoomOf(TLM_HANDLE map) {
    double zoom = 1.0;
    TLM_GetZoomFactor(map, &zoom);
    return zoom;
}

double setZoom(TLM_HANDLE map, double zoom) {
    TLM_SetZoomFactor(map, &zoom);
    return zoomOf(map);
}

// Restores the cursor however the print ends.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

bool isEmpty(const TLM_RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

TLM_RECT intersection(const TLM_RECT& a, const TLM_RECT& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

QRect toQRect(const TLM_RECT& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

} // namespace

// --- PrintMapEventInfo ---

PrintMapEventInfo::PrintMapEventInfo(PrintObject& print, QPainter& canvas) : m_print(print) {
    handler = &MapEventListener::Paint;
    this->canvas = &canvas;
}

QRect PrintMapEventInfo::ViewRect() const {
    return toQRect(m_print.MapRect());
}

bool PrintMapEventInfo::Transform(const Coord& from, Coord& to) const {
    return m_print.Transform(from, to);
}

// --- PrintObject ---

PrintObject::PrintObject(PrintModule& module, std::int32_t scale, bool scaleBar)
    : ScaleBar(scaleBar), m_module(module), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      m_requestedScale(scale), m_scale(scale) {
    m_printer->setDocName(QStringLiteral("Karte"));
    m_printer->setCopyCount(1);
    m_printer->setPrintRange(QPrinter::AllPages);
    if (MapWindowModule* maps = MapWindowModule::instance()) {
        if (const TTolmWindow* window = maps->Window()) {
            m_printMap = TLM_Duplicate(window->MapHandle());
            m_overlay = window->overlay();
            m_windowZoom = zoomOf(m_printMap);
        }
    }
}

PrintObject::~PrintObject() {
    if (m_printMap != 0)
        TLM_Close(m_printMap);
}

bool PrintObject::ShowPrintDialog(QWidget* owner) {
    if (!Platform::dialogs().printDialog(owner, m_printer.get()))
        return false;
    if (!m_printer->isValid()) {
        Platform::dialogs().messageBox(owner, QString(), QStringLiteral("Fehler beim Drucken"),
                                       Platform::MsgButtons::Ok, Platform::MsgIcon::Error);
        return false;
    }
    return true;
}

bool PrintObject::Transform(const Coord& from, Coord& to) const {
    // Window points of the drawing code stand for the view on the page:
    // the print offset takes them into the print map.
    Coord source = from;
    if (source.type >= TLM_COORD_MAP_PIXEL && source.zone == 0) {
        if (source.type == TLM_COORD_WINDOW_CLIENT) {
            source.x += m_offsetX - m_mapRect.left;
            source.y += m_offsetY - m_mapRect.top;
        }
        source.type = TLM_COORD_MAP_PIXEL;
        source.zone = m_printMap;
    }
    if (to.type >= TLM_COORD_MAP_PIXEL && to.zone == 0) {
        Coord pixel{};
        pixel.type = TLM_COORD_MAP_PIXEL;
        pixel.zone = m_printMap;
        if (TLM_TransformCoordsEx(&source, &pixel) != 0)
            return false;
        if (to.type == TLM_COORD_WINDOW_CLIENT) {
            to.x = pixel.x - m_offsetX + m_mapRect.left;
            to.y = pixel.y - m_offsetY + m_mapRect.top;
        } else {
            to = pixel;
        }
        return true;
    }
    return TLM_TransformCoords(&source, &to) == 1;
}

void PrintObject::limitToPaper(bool tall) {
    PrintLayout::limitToPaper(m_area, tall, m_module.PaperWidth, m_module.PaperHeight);
}

void PrintObject::scaleLayout() {
    limitToPaper(m_area.widthMm < m_area.heightMm);
    const double p = m_area.millimetresPerPixel();

    const double z = zoomOf(m_printMap);
    Coord centre{};
    centre.type = TLM_COORD_MAP_PIXEL;
    centre.zone = m_printMap;
    if (MapWindowModule* maps = MapWindowModule::instance())
        maps->Position(centre, TTolmWindow::AlignCenter);
    const double cx = centre.x / z;
    const double cy = centre.y / z;

    // One display pixel of the print map becomes one printer pixel.
    const double g = groundMillimetresPerDisplayPixel(m_printMap);
    double z2 = z;
    if (g > 0 && p > 0)
        z2 = setZoom(m_printMap, (g / p) / m_scale * z);
    m_metresPerPixel = groundMillimetresPerDisplayPixel(m_printMap) * 0.001;

    const double x = cx * z2 - m_area.widthPx * 0.5;
    const double y = cy * z2 - m_area.heightPx * 0.5;
    m_offsetX = x < 0 ? 0 : static_cast<std::int32_t>(x);
    m_offsetY = y < 0 ? 0 : static_cast<std::int32_t>(y);
    m_mapRect = {0, 0, m_area.widthPx, m_area.heightPx};
}

void PrintObject::contentLayout() {
    MapWindowModule* maps = MapWindowModule::instance();
    const TTolmWindow* window = maps ? maps->Window() : nullptr;
    const QSize client = window ? window->viewport()->size() : QSize();
    const int w = client.width();
    const int h = client.height();
    limitToPaper(w < h);
    if (w <= 0 || h <= 0)
        return; // nothing to fit: an empty map rectangle, a page without map

    Coord corner{};
    corner.type = TLM_COORD_WINDOW_CLIENT;
    Coord pixel{};
    pixel.type = TLM_COORD_MAP_PIXEL;
    pixel.zone = m_printMap;
    maps->Transform(corner, pixel);

    const double s = std::min(double(m_area.widthPx) / w, double(m_area.heightPx) / h);
    m_offsetX = static_cast<std::int32_t>(pixel.x * s);
    m_offsetY = static_cast<std::int32_t>(pixel.y * s);
    const double z = zoomOf(m_printMap);
    const double z2 = setZoom(m_printMap, z * s);
    const double s2 = z2 / z;
    m_mapRect = {0, 0, static_cast<std::int32_t>(w * s2), static_cast<std::int32_t>(h * s2)};

    const double g = groundMillimetresPerDisplayPixel(m_printMap);
    const double p = m_area.millimetresPerPixel();
    m_scale = p > 0 ? PrintLayout::roundedScale(g / p) : 0;
    m_metresPerPixel = g * 0.001;
}

bool PrintObject::Print() {
    const WaitCursor wait;
    QPrinter& printer = *m_printer;
    m_area = {printer.width() * 25.4 / std::max(1, printer.logicalDpiX()),
              printer.height() * 25.4 / std::max(1, printer.logicalDpiY()), printer.width(), printer.height()};
    m_mapRect = {0, 0, 0, 0};
    PrintMapWindowListener* hook = m_module.Listener;
    if (hook)
        hook->BeforePrinting(*this);
    m_scale = m_requestedScale;
    if (m_printMap != 0) {
        // Every print lays the map out afresh from the window's zoom.
        setZoom(m_printMap, m_windowZoom);
        if (m_scale != 0)
            scaleLayout();
        else
            contentLayout();
    }

    printer.setDocName(QStringLiteral("Karte"));
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    m_background = painter.background().color();
    // A 10 point cell.
    m_font = QFont(QStringLiteral("Arial"));
    m_font.setPixelSize(std::max(1, printer.logicalDpiY() * 10 / 72));
    painter.setFont(m_font);

    // One page.
    const TLM_RECT page{0, 0, printer.width(), printer.height()};
    const TLM_RECT clip = intersection(m_mapRect, page);
    if (!isEmpty(clip)) {
        painter.setClipRect(toQRect(clip));
        drawMap(painter, clip);
        paintListeners(painter);
        painter.setFont(m_font);
        if (DrawMargin)
            drawMargin(painter);
    }
    if (hook)
        hook->PagePrinted(painter, toQRect(page));
    if (hook)
        hook->AfterPrinting(painter);
    return painter.end();
}

void PrintObject::drawMap(QPainter& painter, const TLM_RECT& clip) {
    const TLM_HDC dc = TLM_AttachPainter(&painter);
    if (dc == 0)
        return;
    const OverlayDrawFn overlayDraw = m_overlay ? overlayDrawFunction() : nullptr;
    if (overlayDraw)
        overlayDraw(m_printMap, dc, &m_mapRect, &clip, m_offsetX, m_offsetY, m_overlay);
    else
        TLM_Draw(m_printMap, dc, &m_mapRect, &clip, m_offsetX, m_offsetY);
    TLM_DetachPainter(dc);
}

void PrintObject::paintListeners(QPainter& painter) {
    // As on the screen: the active map function first (what it has put on
    // the map, such as a measured line, belongs to the page; its rubber bands
    // exist only during a drag, never while printing), then every layer in
    // registration order.
    PrintMapEventInfo info(*this, painter);
    if (MapFunction* function = MapFunction::Active()) {
        painter.save();
        function->Paint(info);
        painter.restore();
    }
    const std::unique_ptr<Iterator<MapEventListener>> listeners = MapEventListeners::Forward();
    while (listeners->HasMore()) {
        MapEventListener* listener = listeners->Next();
        if (listener == nullptr)
            continue;
        painter.save();
        listener->Paint(info);
        painter.restore();
    }
}

void PrintObject::writeText(QPainter& painter, int x, int top, const QString& text) {
    const QFontMetrics fm(painter.font(), painter.device());
    // Black on the background, opaque, as the margin must stay readable over the map.
    painter.fillRect(QRect(x, top, fm.horizontalAdvance(text), fm.height()), m_background);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(x, top + fm.ascent()), text);
}

void PrintObject::writeCentred(QPainter& painter, int centre, int top, const QString& text) {
    const QFontMetrics fm(painter.font(), painter.device());
    writeText(painter, centre - fm.horizontalAdvance(text) / 2, top, text);
}

void PrintObject::drawMargin(QPainter& painter) {
    const QFontMetrics fm(painter.font(), painter.device());
    const int cy = fm.height();
    int bottom = m_mapRect.bottom;
    const int right = m_mapRect.right;

    const QStringList lines = PrintLayout::marginLinesFromBottom(MarginText.trimmed());
    if (!lines.isEmpty()) {
        painter.setClipping(false);
        for (qsizetype k = 0; k < lines.size(); ++k) {
            // The last line keeps one free line below it.
            bottom -= k == 0 ? 2 * cy : cy;
            writeText(painter, std::max((right - fm.horizontalAdvance(lines[k])) / 2, 0), bottom, lines[k]);
        }
    }
    const QString scaleText = QStringLiteral("1:%1").arg(m_scale);
    if (!ScaleBar) {
        const QString line = QStringLiteral("Maßstab ") + scaleText;
        writeText(painter, std::max((right - fm.horizontalAdvance(line)) / 2, 0), bottom - 2 * cy, line);
        return;
    }
    drawScaleBar(painter, bottom, cy);
}

void PrintObject::drawScaleBar(QPainter& painter, int b, int cy) {
    if (!(m_metresPerPixel > 0))
        return; // a map without ground length has no bar
    const QFontMetrics fm(painter.font(), painter.device());
    const QString scaleText = QStringLiteral("1:%1").arg(m_scale);
    const QString caption = QStringLiteral("Maßstab");

    const double ground = (fm.horizontalAdvance(QStringLiteral("8888")) + cy) * m_metresPerPixel;
    const PrintLayout::ScaleBarStep step = PrintLayout::scaleBarStep(ground);
    const double s = step.metres / m_metresPerPixel;
    const double block = std::max(fm.horizontalAdvance(scaleText), fm.horizontalAdvance(caption)) + 2.0 * cy;
    const PrintLayout::ScaleBarPlacement placement =
        PrintLayout::placeScaleBar(m_mapRect.right, m_area.widthPx, block, s);
    const int n = placement.ticks;
    const int left = placement.left;
    if (n <= 0)
        return;

    painter.setClipping(false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_background);
    const int bandRight = left + static_cast<int>(block + n * s);
    painter.drawRect(QRect(QPoint(left, b - cy * 7 / 2), QPoint(bandRight - 1, b - cy / 2 - 1)));

    int previous = static_cast<int>(left + 0.5 * s);
    writeCentred(painter, previous, b - 2 * cy, step.unit);
    for (int i = 1; i < n; ++i) {
        const int tick = static_cast<int>(left + (i + 0.5) * s);
        writeCentred(painter, tick, b - 2 * cy, PrintLayout::scaleBarLabel(step, i));
        painter.setPen(QPen(Qt::black, 0));
        painter.setBrush(i % 2 == 1 ? Qt::black : Qt::white);
        // Outline and fill cover the pixels from one tick up to the next.
        painter.drawRect(QRect(previous, b - 3 * cy, tick - previous - 1, cy - 1));
        previous = tick;
    }
    const int x = static_cast<int>(n * s + cy + left);
    writeText(painter, x, b - 3 * cy, caption);
    writeText(painter, x, b - 2 * cy, scaleText);
}
