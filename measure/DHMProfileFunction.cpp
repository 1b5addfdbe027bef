#include "DHMProfileFunction.h"

#include "AppResources.h"
#include "MapWindowModule.h"
#include "TDHMDialog.h"

#include <QCursor>

#include <algorithm>

DHMProfileFunction::DHMProfileFunction(const Modul::DHM* model, QWidget* owner)
    : m_line(QStringLiteral("Höhenprofil")), m_path(model), m_owner(owner) {
    setElement(&m_line);
    LoadCursorByName(QStringLiteral("MODUL_FUNCTION_DHMPROFILE"));
}

DHMProfileFunction::~DHMProfileFunction() {
    delete m_dialog.data();
}

QCursor DHMProfileFunction::normalCursor() const {
    if (const std::optional<QCursor> cursor = AppResources::cursor(QStringLiteral("MODUL_FUNCTION_DHMPROFILE")))
        return *cursor;
    return EditElement::normalCursor();
}

void DHMProfileFunction::Enter(MapFunction* previous) {
    if (m_dialog == nullptr) {
        m_dialog = new TDHMDialog(&m_path, m_owner.data());
        m_dialog->onJumpTo = [this](double distance) { jumpTo(distance); };
    }
    m_dialog->show();
    EditElement::Enter(previous);
    if (m_line.pointCount() > 0)
        if (MapWindowModule* module = MapWindowModule::instance())
            module->Repaint();
}

bool DHMProfileFunction::Leave(MapFunction* next) {
    if (!EditElement::Leave(next))
        return false;
    if (m_dialog != nullptr)
        m_dialog->hide();
    if (m_line.pointCount() > 0)
        if (MapWindowModule* module = MapWindowModule::instance())
            module->Repaint();
    return true;
}

void DHMProfileFunction::changed() {
    m_path.clear();
    MapWindowModule* module = MapWindowModule::instance();
    for (const Coord& point : m_line.points()) {
        // The line keeps the map's own system; the profile wants geographic
        // positions, which the map converts.
        Coord geo{};
        geo.type = 2;
        if (point.type == 0) {
            if (module == nullptr || !module->Transform(point, geo))
                continue;
        } else {
            geo = point;
        }
        m_path.addPoint(geo);
    }
    if (m_dialog != nullptr)
        m_dialog->pathChanged();
}

bool DHMProfileFunction::jumpTo(double distance) {
    const std::vector<DHM_Point>& points = m_path.points();
    MapWindowModule* module = MapWindowModule::instance();
    if (points.empty() || module == nullptr)
        return false;
    Coord at{};
    at.type = 2;
    at.x = points.back().longitude;
    at.y = points.back().latitude;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const double d0 = points[i].distance, d1 = points[i + 1].distance;
        if (distance > d1)
            continue;
        const double t = d1 > d0 ? std::clamp((distance - d0) / (d1 - d0), 0.0, 1.0) : 0.0;
        at.x = points[i].longitude + t * (points[i + 1].longitude - points[i].longitude);
        at.y = points[i].latitude + t * (points[i + 1].latitude - points[i].latitude);
        break;
    }
    module->SetCentre(at, true);
    return true;
}
