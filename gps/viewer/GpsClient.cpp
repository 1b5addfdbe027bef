#include "GpsClient.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

#include <map>
#include <mutex>

namespace GpsClient {

namespace {

constexpr const char* LibraryName = "libzozi32.so.1";

QStringList candidates() {
    QStringList list;
    if (QCoreApplication::instance()) {
        const QString dir = QCoreApplication::applicationDirPath();
        list << dir + QLatin1Char('/') + QLatin1String(LibraryName);
#ifdef VISTREL_ZOZI32_FROM_BINDIR
        list << QDir::cleanPath(dir + QLatin1Char('/') + QStringLiteral(VISTREL_ZOZI32_FROM_BINDIR));
#endif
    }
#ifdef VISTREL_ZOZI32_BUILD_PATH
    list << QStringLiteral(VISTREL_ZOZI32_BUILD_PATH);
#endif
    return list;
}

// A reference of the library; null without one.
void* openLibrary(QString* path = nullptr) {
    for (const QString& candidate : candidates()) {
        if (!QFileInfo::exists(candidate))
            continue;
        if (void* handle = dlopen(QFile::encodeName(candidate).constData(), RTLD_NOW | RTLD_LOCAL)) {
            if (path)
                *path = candidate;
            return handle;
        }
    }
    void* handle = dlopen(LibraryName, RTLD_NOW | RTLD_LOCAL);
    if (handle && path)
        *path = QString::fromLatin1(LibraryName);
    return handle;
}

template <class F> void bind(void* library, F& function, const char* name) {
    function = library ? reinterpret_cast<F>(dlsym(library, name)) : nullptr;
}

// The recording, playback and state functions, looked up together once the
// first of them is needed. The library stays loaded.
struct Loaded {
    int (*setRecordFile)(const char*) = nullptr;
    int (*setPlayFile)(const char*) = nullptr;
    int (*setPlaySpeed)(int) = nullptr;
    int (*getState)(NmeaState*) = nullptr;
    bool tried = false;
};

Loaded& loaded() {
    static Loaded functions;
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    if (!functions.tried) {
        functions.tried = true;
        if (void* library = openLibrary()) {
            // In this order, stopping at the first that is missing.
            bind(library, functions.setRecordFile, "nmeaSetRecordFile");
            if (functions.setRecordFile)
                bind(library, functions.setPlayFile, "nmeaSetPlayFile");
            if (functions.setPlayFile)
                bind(library, functions.setPlaySpeed, "nmeaSetPlaySpeed");
            if (functions.setPlaySpeed)
                bind(library, functions.getState, "nmeaGetState");
        }
    }
    return functions;
}

QByteArray fileBytes(const QString& fileName) {
    return fileName.isEmpty() ? QByteArray() : QFile::encodeName(fileName);
}

std::mutex g_windowMutex;
std::map<uint32_t, QObject*> g_windows;
uint32_t g_nextWindow = 1;

void post(uint32_t window, uint32_t message, uint32_t, uint32_t, void*) {
    std::lock_guard<std::mutex> lock(g_windowMutex);
    const auto it = g_windows.find(window);
    if (it != g_windows.end())
        QCoreApplication::postEvent(it->second, new MessageEvent(message));
}

} // namespace

const Api& imported() {
    static const Api api = [] {
        Api a;
        void* library = openLibrary();
        bind(library, a.install, "wglInstall");
        bind(library, a.hookPosition, "wglHookPosition");
        bind(library, a.getPosData, "wglGetPosData");
        bind(library, a.getHeight, "nmeaGetHeight");
        bind(library, a.deHook, "wglDeHook");
        bind(library, a.unInstall, "wglUnInstall");
        bind(library, a.setPostFunction, "zoziSetPostFunction");
        // Without the whole set the viewer has no GPS at all.
        if (!a.install || !a.hookPosition || !a.getPosData || !a.getHeight || !a.deHook || !a.unInstall ||
            !a.setPostFunction)
            a = Api{};
        return a;
    }();
    return api;
}

QString libraryPath() {
    QString path;
    if (void* library = openLibrary(&path))
        dlclose(library);
    return path;
}

QString setComPort(const NmeaPortConfig& config) {
    void* library = openLibrary();
    int (*function)(const NmeaPortConfig*) = nullptr;
    bind(library, function, "nmeaSetComPort");
    if (!function) {
        if (library)
            dlclose(library);
        return QStringLiteral("Interner Fehler!");
    }
    const int result = function(&config);
    dlclose(library);
    if (result == 0)
        return QStringLiteral("Die gewählte Schnittstelle konnte nicht geöffnet werden.\r\n\r\n"
                              "Möglicherweise ist sie von einem anderen Programm belegt.");
    return QString();
}

bool getComPort(NmeaPortConfig& config) {
    void* library = openLibrary();
    int (*function)(NmeaPortConfig*) = nullptr;
    bind(library, function, "nmeaGetComPort");
    const bool filled = function && function(&config) != 0;
    if (library)
        dlclose(library);
    return filled;
}

int setRecordFile(const QString& fileName) {
    const Loaded& f = loaded();
    return f.setRecordFile ? f.setRecordFile(fileBytes(fileName).constData()) : 0;
}

int setPlayFile(const QString& fileName) {
    const Loaded& f = loaded();
    return f.setPlayFile ? f.setPlayFile(fileBytes(fileName).constData()) : 0;
}

int setPlaySpeed(int speedExponent) {
    const Loaded& f = loaded();
    return f.setPlaySpeed ? f.setPlaySpeed(speedExponent) : 0;
}

int getState(NmeaState& state) {
    const Loaded& f = loaded();
    return f.getState ? f.getState(&state) : 0;
}

NotifyEvent::Dispatcher<void>& positionArrived() {
    static NotifyEvent::Dispatcher<void> event;
    return event;
}

QEvent::Type MessageEvent::type() {
    static const QEvent::Type registered = QEvent::Type(QEvent::registerEventType());
    return registered;
}

uint32_t registerWindow(QObject* object) {
    std::lock_guard<std::mutex> lock(g_windowMutex);
    const uint32_t window = g_nextWindow++;
    g_windows[window] = object;
    return window;
}

void unregisterWindow(uint32_t window) {
    std::lock_guard<std::mutex> lock(g_windowMutex);
    g_windows.erase(window);
}

void installPostFunction(const Api& api) {
    if (api.setPostFunction)
        api.setPostFunction(&post, nullptr);
}

} // namespace GpsClient
