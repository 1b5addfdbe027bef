#include "MainMapModule.h"

#include "MainWindow.h"
#include "MapTabCard.h"
#include "ModulBasis.h"
#include "PlatformDialogs.h"
#include "TolmWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include <cmath>

namespace {
MainMapModule* g_mainModule = nullptr;
constexpr int32_t E_FAIL_STATUS = static_cast<int32_t>(0x80004005u);
} // namespace

MainMapModule::MainMapModule() : m_page(true, QStringLiteral("Karte")) {
    m_page.creator = [this](QWidget* owner) { return createCard(owner); };
    g_mainModule = this;
    MapActionTarget::setInstance(this);
    if (BaseDataPageManager* manager = BaseDataPageManager::instance())
        manager->addPage(&m_page);
}

MainMapModule::~MainMapModule() {
    if (g_mainModule == this)
        g_mainModule = nullptr;
    if (MapActionTarget::instance() == this)
        MapActionTarget::setInstance(nullptr);
}

MainMapModule* MainMapModule::instance() {
    return g_mainModule;
}

QWidget* MainMapModule::createCard(QWidget* owner) {
    auto* card = new TMapTabCard(owner);
    m_card = card;
    return card;
}

void MainMapModule::Start() {
    if (MapFunction::Active() == nullptr)
        MapFunction::ActivateDefault();
}

TTolmWindow* MainMapModule::Window() const {
    return m_card ? m_card->wndMap : nullptr;
}

QWidget* MainMapModule::WindowControl() const {
    // Mouse and cursor belong to the window's client area.
    TTolmWindow* window = Window();
    return window ? window->viewport() : nullptr;
}

TTolmWindow* MainMapModule::ShowMapPage() {
    if (BaseDataPageManager* manager = BaseDataPageManager::instance()) {
        manager->showPage(&m_page);
    } else if (!m_card) {
        m_ownCard.reset(static_cast<TMapTabCard*>(createCard(nullptr)));
    }
    return Window();
}

QString MainMapModule::MapPath() const {
    const TTolmWindow* window = Window();
    return window ? window->PathName() : QString();
}

void MainMapModule::SetMapPath(const QString& path, bool showPage) {
    TTolmWindow* window = Window();
    if (window == nullptr)
        window = ShowMapPage();
    if (window == nullptr)
        return;
    window->SetPathName(path, true);
    if (showPage)
        ShowMapPage();
}

bool MainMapModule::Position(Coord& out, int alignment) const {
    const TTolmWindow* window = Window();
    return window != nullptr && window->GetPos(out, alignment);
}

void MainMapModule::SetCentre(const Coord& position, bool showPage) {
    TTolmWindow* window = Window();
    if (window == nullptr)
        return;
    // A window point names a place only in the view it was taken from: it is
    // remembered before the view moves.
    if (DefCoordDynamic)
        Remember(position);
    window->SetCenterPos(position);
    if (showPage)
        ShowMapPage();
}

double MainMapModule::Zoom() const {
    const TTolmWindow* window = Window();
    return window ? window->ZoomFactor() : 0.0;
}

double MainMapModule::ClampedZoom(double zoom) const {
    if (zoom < MinZoom)
        zoom = MinZoom;
    if (MaxZoom > 0.0 && zoom > MaxZoom)
        zoom = MaxZoom;
    return zoom;
}

void MainMapModule::SetZoom(double zoom, const std::optional<Coord>& centre) {
    TTolmWindow* window = Window();
    // A zoom that is not a number has no place between the limits.
    if (window == nullptr || std::isnan(zoom))
        return;
    if (DefCoordDynamic)
        Remember(centre);
    window->SetZoomFactor(ClampedZoom(zoom), centre);
    ShowMapPage();
}

void MainMapModule::SetMap(const QString& path, double zoom, const std::optional<Coord>& centre, bool showPage) {
    TTolmWindow* window = Window();
    if (window == nullptr)
        window = ShowMapPage();
    if (window == nullptr)
        return;
    if (!path.isEmpty()) {
        window->SetMap(path, zoom, centre);
        // The centre belongs to the map just opened.
        if (DefCoordDynamic)
            Remember(centre);
    } else {
        // The same map: the centre is taken in the view before it moves.
        if (DefCoordDynamic)
            Remember(centre);
        // Zoom 0.0 keeps the zoom, as it does when a map is opened.
        window->SetZoomFactor(zoom == 0.0 || std::isnan(zoom) ? window->ZoomFactor() : zoom, centre);
    }
    if (showPage)
        ShowMapPage();
}

bool MainMapModule::Transform(const Coord& from, Coord& to) const {
    const TTolmWindow* window = Window();
    return window != nullptr && window->TransformCoords(from, to);
}

int32_t MainMapModule::TransformEx(const Coord& from, Coord& to) const {
    const TTolmWindow* window = Window();
    return window ? window->TransformCoordsEx(from, to) : E_FAIL_STATUS;
}

void MainMapModule::RepaintWindow() {
    if (TTolmWindow* window = Window())
        window->viewport()->update();
}

int MainMapModule::dimmerValue() const {
    const TTolmWindow* window = Window();
    return window ? window->DimmerValue() : 255;
}

void MainMapModule::setDimmerValue(int value) {
    if (TTolmWindow* window = Window())
        window->setDimmerValue(value);
}

MapFunction* MainMapModule::activeMapFunction() const {
    return MapFunction::Active();
}

void MainMapModule::activateMapFunction(MapFunction* function) {
    MapFunction::Activate(function);
}

void MainMapModule::showMap(const Modul::Kartenfolge::Info& entry, bool showPage) {
    const QString path = Modul::Kartenfolge::ResolvedPath(entry);
    SetMap(path, 0.0, RememberedPosition(), showPage);
    if (Window() == nullptr)
        return;
    if (!isShownMap(entry)) {
        // The window keeps what it showed; the user learns which file failed.
        reportUnopenedMap(entry.mapFile, path);
        return;
    }
    Modul::Kartenfolge::NotifyOverview(entry);
}

bool MainMapModule::OpenMapFile(const QString& path) {
    SetMapPath(path, true);
    if (Window() != nullptr && Window()->PathName() == path)
        return true;
    reportUnopenedMap(QFileInfo(path).fileName(), path);
    return false;
}

void MainMapModule::reportUnopenedMap(const QString& name, const QString& path) {
    const QFileInfo file(path);
    const QString reason = !file.exists()       ? QStringLiteral("Die Datei fehlt.")
                           : !file.isReadable() ? QStringLiteral("Die Datei kann nicht gelesen werden.")
                                                : QStringLiteral("Die Datei ist beschädigt oder keine Kartendatei.");
    Modul::Basis* basis = Modul::Basis::instance();
    Platform::dialogs().messageBox(basis ? basis->mainWindow() : nullptr,
                                   QStringLiteral("Die Karte „%1“ kann nicht geöffnet werden:\n%2\n%3")
                                       .arg(name, QDir::toNativeSeparators(path), reason),
                                   basis ? basis->appTitle() : Modul::applicationTitle(), Platform::MsgButtons::Ok,
                                   Platform::MsgIcon::Exclamation);
}

bool MainMapModule::isShownMap(const Modul::Kartenfolge::Info& entry) const {
    const TTolmWindow* window = Window();
    return window != nullptr && !window->PathName().isEmpty() &&
           window->PathName() == Modul::Kartenfolge::ResolvedPath(entry);
}
