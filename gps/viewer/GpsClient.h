#pragma once

#include "NotifyEvent.h"
#include "zozi32.h"

#include <QEvent>
#include <QString>

#include <cstdint>

class QObject;

// The viewer's side of the GPS client library: the library is loaded at run
// time (a viewer without it simply has no GPS), the functions the GPS window
// calls for every position are bound once, the port, recording and playback
// functions are looked up by name as they are needed.
namespace GpsClient {

// The functions bound when the library is first used; all null without it.
struct Api {
    int (*install)() = nullptr;
    uint32_t (*hookPosition)(const NmeaHookRequest*) = nullptr;
    int (*getPosData)(void*, int) = nullptr;
    int (*getHeight)(float*) = nullptr;
    int (*deHook)(uint32_t) = nullptr;
    int (*unInstall)(int) = nullptr;
    void (*setPostFunction)(ZoziPostFunction, void*) = nullptr;
};
const Api& imported();

// The library file in use (beside the program, installed with it, in the
// build tree, or by the loader's search), empty when there is none.
QString libraryPath();

// Empty when the port was configured, else the text to show the user.
QString setComPort(const NmeaPortConfig& config);
bool getComPort(NmeaPortConfig& config);
// 0 when the function is missing, else its result.
int setRecordFile(const QString& fileName);
int setPlayFile(const QString& fileName);
int setPlaySpeed(int speedExponent);
int getState(NmeaState& state);

// Announced with a null argument at the start of every position update.
NotifyEvent::Dispatcher<void>& positionArrived();

// The message a window was promised by its hook, delivered on the user
// interface thread.
class MessageEvent : public QEvent {
public:
    explicit MessageEvent(uint32_t message) : QEvent(type()), m_message(message) {}
    static QEvent::Type type();
    uint32_t message() const { return m_message; }

private:
    uint32_t m_message;
};

// Window numbers for hook requests: the library posts to a number, the
// viewer turns it into an event for the object. 0 is never handed out.
uint32_t registerWindow(QObject* object);
void unregisterWindow(uint32_t window);
// Routes the library's notifications to the registered windows.
void installPostFunction(const Api& api);

} // namespace GpsClient
