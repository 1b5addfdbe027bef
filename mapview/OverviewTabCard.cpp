#include "OverviewTabCard.h"

#include "MapWindowModule.h"
#include "ModulBasis.h"
#include "TolmWindow.h"

#include <QCursor>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr uint32_t WindowClientPoint = 0xC001;
constexpr uint32_t FirstWindowBoundType = 0x8000;
// Points further away than this are not drawn and do not move the cursor.
constexpr double PixelLimit = 30000.0;
// Main map alignments of the corners: top-left, top-right, bottom-right, bottom-left.
constexpr int CornerAlignments[4] = {0, 2, 10, 8};

bool known(const Coord& position) {
    return !(position.type < FirstWindowBoundType && position.x == 0.0 && position.y == 0.0);
}

} // namespace

TOverviewTabCard::TOverviewTabCard(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("OverviewTabCard"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    wndOverview = new TTolmWindow(this);
    wndOverview->setObjectName(QStringLiteral("wndOverview"));
    wndOverview->setZoomFactor(1.0);
    layout->addWidget(wndOverview);
    wndOverview->OnPaint = [this](TTolmWindow*, TPaintRecord& record) {
        Modul::guarded([&] { paintOverview(record); });
    };
    wndOverview->OnMessage = [this](TTolmWindow*, TMessage& message) {
        Modul::guarded([&] { this->message(message); });
    };
    m_listener = std::make_unique<OverviewMapEventListener>(*this);
    m_listener->Attach();
}

TOverviewTabCard::~TOverviewTabCard() {
    m_listener->Detach();
    wndOverview->OnPaint = nullptr;
    wndOverview->OnMessage = nullptr;
    wndOverview->SetPathName(QString(), false);
}

void TOverviewTabCard::SetOverviewMap(const QString& path, const QColor& frameColour) {
    wndOverview->SetPathName(path, true);
    m_frameColour = frameColour;
    Update();
}

void TOverviewTabCard::Update() {
    const MapWindowModule* module = MapWindowModule::instance();
    auto read = [module](Coord& position, int alignment) {
        position = Coord{};
        // Type 0: the main map's own coordinates. A failed query leaves the
        // position unknown.
        if (module == nullptr || !module->Position(position, alignment))
            position = Coord{};
    };
    for (int i = 0; i < 4; ++i)
        read(m_corners[size_t(i)], CornerAlignments[i]);
    read(m_centre, TTolmWindow::AlignCenter);
    if (known(m_centre))
        wndOverview->SetCenterPos(m_centre);
    // Whatever was pending, the overview is painted once, with the new frame.
    wndOverview->viewport()->update();
}

std::optional<QPointF> TOverviewTabCard::overviewPoint(const Coord& position) const {
    if (!known(position))
        return std::nullopt;
    Coord point{};
    point.type = WindowClientPoint;
    if (!wndOverview->TransformCoords(position, point))
        return std::nullopt;
    if (std::abs(point.x) > PixelLimit || std::abs(point.y) > PixelLimit)
        return std::nullopt;
    return QPointF(point.x, point.y);
}

TOverviewTabCard::FramePaint TOverviewTabCard::PaintFrame(QPainter& canvas, const QColor& colour, const QPointF& centre,
                                                          const std::optional<std::array<QPointF, 4>>& corners) {
    FramePaint done;
    canvas.save();
    canvas.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    canvas.setBrush(Qt::NoBrush);
    bool large = false;
    if (corners) {
        const std::array<QPointF, 4>& c = *corners;
        auto squared = [](const QPointF& a, const QPointF& b) {
            const double dx = b.x() - a.x(), dy = b.y() - a.y();
            return dx * dx + dy * dy;
        };
        // The shorter of the top and the right edge, squared, in pixels.
        const double m = std::min(squared(c[0], c[1]), squared(c[1], c[2]));
        if (m >= 25.0) {
            const QPointF outline[5] = {c[0], c[1], c[2], c[3], c[0]};
            canvas.drawPolyline(outline, 5);
            done.outline = true;
        }
        large = m >= 256.0;
    }
    if (!large) {
        // Four arms leaving a gap of 3 pixels around the centre.
        const double x = centre.x(), y = centre.y();
        const QLineF arms[4] = {{x, y - 8, x, y - 3}, {x, y + 3, x, y + 8}, {x - 8, y, x - 3, y}, {x + 3, y, x + 8, y}};
        canvas.drawLines(arms, 4);
        done.crossHair = true;
    }
    canvas.restore();
    return done;
}

void TOverviewTabCard::paintOverview(TPaintRecord& record) {
    if (record.painter == nullptr)
        return;
    const std::optional<QPointF> centre = overviewPoint(m_centre);
    if (!centre)
        return;
    std::optional<std::array<QPointF, 4>> corners;
    std::array<QPointF, 4> points;
    bool all = true;
    for (size_t i = 0; i < 4 && all; ++i) {
        const std::optional<QPointF> p = overviewPoint(m_corners[i]);
        all = p.has_value();
        if (all)
            points[i] = *p;
    }
    if (all)
        corners = points;
    PaintFrame(*record.painter, m_frameColour, *centre, corners);
}

void TOverviewTabCard::message(TMessage& message) {
    switch (message.Msg) {
    case TLM_WM_LBUTTONDOWN:
        jump(message);
        m_capture = true;
        break;
    case TLM_WM_MOUSEMOVE:
        if (!m_capture)
            break;
        if (message.WParam & TLM_MK_LBUTTON)
            jump(message);
        else
            m_capture = false;
        break;
    case TLM_WM_LBUTTONUP:
        // Also when the button comes up outside the overview: the window
        // holds the mouse while the button is down.
        jump(message);
        m_capture = false;
        break;
    default:
        break;
    }
}

void TOverviewTabCard::jump(const TMessage& message) {
    // Positions left of or above the window arrive as large unsigned values:
    // they count as the edge.
    uint32_t x = uint32_t(message.LParam) & 0xFFFFu;
    uint32_t y = (uint32_t(message.LParam) >> 16) & 0xFFFFu;
    if (x > 0x8000u)
        x = 0;
    if (y > 0x8000u)
        y = 0;
    Coord point{};
    point.type = WindowClientPoint;
    point.x = x;
    point.y = y;
    Coord position{};
    if (!wndOverview->TransformCoords(point, position))
        return;
    MapWindowModule* module = MapWindowModule::instance();
    if (module == nullptr)
        return;
    // The main map's view change centres the overview on the new place.
    module->SetCentre(position, true);
    wndOverview->viewport()->repaint();
    // The cursor stays over the same place of the overview map while the
    // overview scrolls under it.
    Coord back{};
    back.type = WindowClientPoint;
    if (!wndOverview->TransformCoords(position, back))
        return;
    if (std::abs(back.x) > PixelLimit || std::abs(back.y) > PixelLimit)
        return;
    const int dx = int(back.x - double(x));
    const int dy = int(back.y - double(y));
    if (dx != 0 || dy != 0)
        QCursor::setPos(QCursor::pos() + QPoint(dx, dy));
}

void TOverviewTabCard::OverviewMapEventListener::ViewChanged(MapEventInfo& info) {
    MapEventListener::ViewChanged(info);
    m_card.Update();
}
