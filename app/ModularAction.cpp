#include "ModularAction.h"

#include "AppResources.h"
#include "MainWindow.h"
#include "MapActionTarget.h"
#include "ModulBasis.h"

#include <QMenu>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <stdexcept>

TModularAction::TModularAction(QObject* parent) : QAction(parent) {
    connect(this, &QAction::triggered, this, [this] {
        // Nothing below the menu is allowed to unwind through the toolkit.
        Modul::guarded([this] { execute(); });
    });
}

TModularAction::~TModularAction() = default;

void TModularAction::setMenuBitmapName(const QString& resourceName) {
    const QImage image = AppResources::bitmap(resourceName);
    if (image.isNull())
        throw std::runtime_error(("Bitmap-Ressource fehlt: " + resourceName.toUpper()).toStdString());
    m_menuBitmap = image;
}

void TModularAction::setToolbarBitmapName(const QString& resourceName) {
    const QImage image = AppResources::bitmap(resourceName);
    if (image.isNull())
        throw std::runtime_error(("Bitmap-Ressource fehlt: " + resourceName.toUpper()).toStdString());
    m_toolbarBitmap = image;
}

void TModularAction::setHint(const QString& hint) {
    setToolTip(hint);
    setStatusTip(hint);
}

void TModularAction::execute() {
    if (m_action)
        m_action->trigger();
    else
        emit executeEvent();
}

void registerAction(TModularAction* action) {
    if (action == nullptr || action->m_registered)
        return;
    Modul::Basis* basis = Modul::Basis::instance();
    if (basis == nullptr)
        throw std::logic_error("registerAction: no application object");
    action->m_registered = true;
    basis->mainWindow()->registerModularAction(action, basis->useMenuBitmaps());
}

void updateRegisteredActions() {
    if (Modul::Basis* basis = Modul::Basis::instance())
        basis->mainWindow()->updateModularActions();
}

void showPopup(QWidget* control, QMenu* popup) {
    if (control == nullptr || popup == nullptr)
        return;
    popup->popup(control->mapToGlobal(QPoint(0, control->height())));
}

// --- TModularFunctionAction ---

TModularFunctionAction::TModularFunctionAction(std::function<void()> function, QObject* parent)
    : TModularAction(parent), m_function(std::move(function)) {}

void TModularFunctionAction::execute() {
    if (m_function)
        m_function();
}

// --- TMapFunctionAction ---

TMapFunctionAction::TMapFunctionAction(const QString& caption, std::shared_ptr<MapFunction> function, QObject* parent)
    : TModularAction(parent), m_function(std::move(function)) {
    setCheckable(true);
    if (!caption.isEmpty())
        setMenuPath(QStringLiteral("&Funktion|") + caption);
}

void TMapFunctionAction::execute() {
    if (MapActionTarget* target = MapActionTarget::instance(); target && m_function)
        target->activateMapFunction(m_function.get());
    update();
}

void TMapFunctionAction::update() {
    const MapActionTarget* target = MapActionTarget::instance();
    setChecked(target != nullptr && m_function != nullptr && target->activeMapFunction() == m_function.get());
}

// --- ModularZoomAction ---

ModularZoomAction::ModularZoomAction(double factor, bool relative, QObject* parent)
    : TModularAction(parent), m_factor(factor), m_relative(relative) {}

void ModularZoomAction::execute() {
    MapActionTarget* target = MapActionTarget::instance();
    if (target == nullptr)
        return;
    if (!m_relative) {
        target->setZoom(m_factor);
        return;
    }
    if (m_factor != 0.0)
        target->setZoom(target->zoom() / m_factor);
}

void ModularZoomAction::update() {
    if (!m_relative) {
        setEnabled(true);
        return;
    }
    const MapActionTarget* target = MapActionTarget::instance();
    const double zoom = target ? target->zoom() : 0.0;
    const double minZoom = target ? target->minZoom() : 0.0;
    const double maxZoom = target ? target->maxZoom() : 0.0;
    bool enabled = true;
    // A MaxZoom of 0 or less sets no upper limit, so it never stops zooming in.
    if (m_factor < 1.0 && maxZoom > 0.0 && zoom >= maxZoom)
        enabled = false;
    if (m_factor > 1.0 && zoom <= minZoom)
        enabled = false;
    setEnabled(enabled);
}

// --- ModularDimmerAction ---

ModularDimmerAction::ModularDimmerAction(double factor, int offset, QObject* parent)
    : TModularAction(parent), m_factor(factor), m_offset(offset) {}

int ModularDimmerAction::dimmedValue(int value, double factor, int offset) {
    const double scaled = std::trunc(value * factor);
    // Clamp before converting, so that no factor can overflow the integer.
    const double result = std::clamp(scaled + offset, 0.0, 255.0);
    return static_cast<int>(result);
}

void ModularDimmerAction::execute() {
    MapActionTarget* target = MapActionTarget::instance();
    if (target == nullptr || target->window() == nullptr)
        return;
    target->setDimmerValue(dimmedValue(target->dimmerValue(), m_factor, m_offset));
    target->repaint();
}

void ModularDimmerAction::update() {
    const MapActionTarget* target = MapActionTarget::instance();
    if (target == nullptr || target->window() == nullptr) {
        setEnabled(false);
        return;
    }
    const int current = target->dimmerValue();
    setEnabled(dimmedValue(current, m_factor, m_offset) != current);
}

// --- ModularAskAction ---

ModularAskAction::ModularAskAction(AskFunction ask, QueryFunction query, QObject* parent)
    : TModularAction(parent), m_ask(std::move(ask)), m_query(std::move(query)) {}

namespace {
QWidget* mainWindowWidget() {
    Modul::Basis* basis = Modul::Basis::instance();
    return basis ? basis->mainWindow() : nullptr;
}
} // namespace

void ModularAskAction::execute() {
    const MapActionTarget* target = MapActionTarget::instance();
    if (target == nullptr || target->window() == nullptr || !m_ask)
        return;
    m_ask(target->window(), mainWindowWidget());
}

void ModularAskAction::update() {
    if (!m_query)
        return;
    const MapActionTarget* target = MapActionTarget::instance();
    if (target == nullptr || target->window() == nullptr) {
        setEnabled(false);
        return;
    }
    setEnabled(m_query(target->window(), mainWindowWidget()));
}

// --- TMapSelectAction ---

TMapSelectAction::TMapSelectAction(const Modul::Kartenfolge::Info& entry, QObject* parent)
    : TModularAction(parent), m_entry(entry) {
    setCheckable(true);
    setMenuPath(QStringLiteral("&Karte|(CAT_MAPS)|") + entry.caption);
}

void TMapSelectAction::select(bool showPage) {
    if (MapActionTarget* target = MapActionTarget::instance())
        target->showMap(m_entry, showPage);
}

void TMapSelectAction::execute() {
    select(true);
    update();
}

void TMapSelectAction::update() {
    const MapActionTarget* target = MapActionTarget::instance();
    setChecked(target != nullptr && target->isShownMap(m_entry));
    setEnabled(!m_entry.mapFile.isEmpty());
}

// --- TMapUpDownAction ---

TMapUpDownAction::TMapUpDownAction(int step, QObject* parent) : TModularAction(parent), m_step(step) {}

int TMapUpDownAction::target() const {
    const MapActionTarget* target = MapActionTarget::instance();
    if (target == nullptr)
        return 0;
    const int number = target->currentMapNumber() + m_step;
    return (number >= 1 && number <= target->mapCount()) ? number : 0;
}

void TMapUpDownAction::execute() {
    MapActionTarget* sequence = MapActionTarget::instance();
    const int number = target();
    if (number == 0)
        return;
    // A map that cannot be opened (the user was told) is stepped over, so
    // that the maps beyond it can still be reached.
    for (int n = number; n >= 1 && n <= sequence->mapCount(); n += m_step) {
        sequence->selectMap(n);
        if (sequence->currentMapNumber() == n)
            break;
    }
}

void TMapUpDownAction::update() {
    setChecked(false);
    setEnabled(target() != 0);
}
