#include "FunctionTestSupport.h"

#include "MapEvents.h"
#include "PatternMap.h"

#include <QApplication>
#include <QMouseEvent>

#include <algorithm>

std::string FunctionTestMaps::write(const std::string& name, int width, int height) const {
    PatternMapArea area;
    area.width = width;
    area.height = height;
    const QString path = dir.filePath(QString::fromStdString(name));
    return writePatternMap(path, area) ? path.toStdString() : std::string();
}

// --- FunctionTestModule ---

FunctionTestModule::FunctionTestModule(TTolmWindow* window) : m_window(window) {
    MapActionTarget::setInstance(this);
}

FunctionTestModule::~FunctionTestModule() {
    if (MapActionTarget::instance() == this)
        MapActionTarget::setInstance(nullptr);
}

void FunctionTestModule::Start() {
    if (MapFunction::Active() == nullptr)
        MapFunction::ActivateDefault();
}

QString FunctionTestModule::MapPath() const {
    return m_window->PathName();
}

void FunctionTestModule::SetMapPath(const QString& path, bool) {
    m_window->setPathName(path);
}

bool FunctionTestModule::Position(Coord& out, int alignment) const {
    return m_window->GetPos(out, alignment);
}

void FunctionTestModule::SetCentre(const Coord& position, bool) {
    centreCalls.push_back(position);
    m_window->SetCenterPos(position);
}

double FunctionTestModule::Zoom() const {
    return m_window->ZoomFactor();
}

void FunctionTestModule::SetZoom(double zoom, const std::optional<Coord>& centre) {
    zoomCalls.push_back({zoom, centre});
    zoom = std::max(zoom, MinZoom);
    if (MaxZoom > 0)
        zoom = std::min(zoom, MaxZoom);
    m_window->SetZoomFactor(zoom, centre);
}

void FunctionTestModule::SetMap(const QString& path, double zoom, const std::optional<Coord>& centre, bool) {
    if (path.isEmpty())
        m_window->SetZoomFactor(zoom, centre);
    else
        m_window->SetMap(path, zoom, centre);
}

bool FunctionTestModule::Transform(const Coord& from, Coord& to) const {
    return m_window->TransformCoords(from, to);
}

int32_t FunctionTestModule::TransformEx(const Coord& from, Coord& to) const {
    return m_window->TransformCoordsEx(from, to);
}

void FunctionTestModule::RepaintWindow() {
    ++repaints;
    m_window->viewport()->update();
}

MapFunction* FunctionTestModule::activeMapFunction() const {
    return MapFunction::Active();
}

void FunctionTestModule::activateMapFunction(MapFunction* function) {
    MapFunction::Activate(function);
}

// --- MapWindowFixture ---

void MapWindowFixture::SetUp() {
    window = std::make_unique<TTolmWindow>();
    window->resize(420, 320);
    window->OnMessage = [](TTolmWindow* sender, TMessage& message) { MapEvents::DispatchMessage(*sender, message); };
    window->OnPaint = [](TTolmWindow* sender, TPaintRecord& record) { MapEvents::DispatchPaint(*sender, record); };
    window->OnNotify = [](TTolmWindow* sender, int level) { MapEvents::DispatchViewChanged(*sender, level); };
    window->show();
    module = std::make_unique<FunctionTestModule>(window.get());
    // Clicks must not move the remembered position behind the tests' backs.
    module->DefCoordDynamic = false;
    ASSERT_EQ(MapWindowModule::instance(), module.get());
}

void MapWindowFixture::TearDown() {
    MapFunction::Activate(nullptr);
    if (window)
        window->setPathName(QString());
    module.reset();
    window.reset();
}

void MapWindowFixture::openMap(int width, int height) {
    const std::string path =
        maps.write("map" + std::to_string(width) + "x" + std::to_string(height) + ".tlm", width, height);
    ASSERT_FALSE(path.empty());
    window->setPathName(QString::fromStdString(path));
    ASSERT_NE(window->MapHandle(), 0u);
    setView(1.0, width / 2.0, height / 2.0);
}

void MapWindowFixture::setView(double zoom, double centreX, double centreY) {
    window->SetZoomFactor(zoom, std::nullopt);
    Coord centre;
    centre.type = 0x8000;
    centre.zone = window->MapHandle();
    centre.x = centreX;
    centre.y = centreY;
    window->SetCenterPos(centre);
}

namespace {
void send(QWidget* target, QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons) {
    const QPointF local(x, y);
    QMouseEvent event(type, local, target->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}
} // namespace

void MapWindowFixture::press(int x, int y, Qt::MouseButton button) {
    send(client(), QEvent::MouseButtonPress, x, y, button, button);
}

void MapWindowFixture::doubleClick(int x, int y, Qt::MouseButton button) {
    send(client(), QEvent::MouseButtonDblClick, x, y, button, button);
}

void MapWindowFixture::move(int x, int y, Qt::MouseButtons buttons) {
    send(client(), QEvent::MouseMove, x, y, Qt::NoButton, buttons);
}

void MapWindowFixture::release(int x, int y, Qt::MouseButton button) {
    send(client(), QEvent::MouseButtonRelease, x, y, button, Qt::NoButton);
}

Coord MapWindowFixture::gaussKruegerOf(double x, double y) const {
    Coord point;
    point.type = 0xC001;
    point.x = x;
    point.y = y;
    Coord gk;
    gk.type = 1;
    EXPECT_TRUE(window->TransformCoords(point, gk));
    return gk;
}

Coord MapWindowFixture::gaussKruegerOfCentre() const {
    Coord gk;
    gk.type = 1;
    EXPECT_TRUE(window->GetCenterPos(gk));
    return gk;
}

QImage MapWindowFixture::shot() const {
    return client()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}
