#include "ModulBasis.h"

#include "AppEventListener.h"
#include "MainWindow.h"
#include "PlatformDialogs.h"
#include "SingleInstance.h"

#include <QApplication>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace Modul {

namespace {

Basis* g_instance = nullptr;
QString g_applicationTitle = QStringLiteral("vistrel");

const QString Organisation = QStringLiteral("Dremal");

} // namespace

Basis::Basis() {
    g_instance = this;
    m_mainWindow = std::make_unique<TMainWindow>();
    setBasePath(QStringLiteral(".."));
}

Basis::~Basis() {
    m_instance.reset();
    m_mainWindow.reset();
    if (g_instance == this)
        g_instance = nullptr;
}

Basis* Basis::instance() {
    return g_instance;
}

QString Basis::programFilePath() {
    return QCoreApplication::applicationFilePath();
}

QString Basis::programDirectory() {
    const QString path = programFilePath();
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString Basis::twoLevelsAbove(const QString& programPath) {
    // First the folder of the program file (without its "/"), then the folder
    // above it with its "/": "/opt/vistrel/bin/vistrel" gives "/opt/vistrel/".
    const qsizetype first = programPath.lastIndexOf(u'/');
    if (first < 0)
        return QString();
    const QString folder = programPath.left(first);
    const qsizetype second = folder.lastIndexOf(u'/');
    if (second < 0)
        return QString();
    return folder.left(second + 1);
}

void Basis::setBasePath(const QString& path) {
    if (path == QStringLiteral("..")) {
        m_basePath = twoLevelsAbove(programFilePath());
        return;
    }
    m_basePath = path;
    if (!m_basePath.endsWith(u'/'))
        m_basePath += u'/';
}

QString Basis::appTitle() const {
    return m_mainWindow->windowTitle();
}

void Basis::setAppTitle(const QString& title) {
    if (m_singleInstance) {
        if (SingleInstance::activateRunning(title)) {
            terminate();
        } else {
            if (!m_instance) {
                m_instance = std::make_unique<SingleInstance>();
                connect(m_instance.get(), &SingleInstance::activationRequested, this, &Basis::bringToFront);
            }
            m_instance->listen(title);
        }
    }
    m_mainWindow->setWindowTitle(title);
    setApplicationTitle(title);
}

void Basis::bringToFront() {
    if (m_mainWindow->isMinimized())
        m_mainWindow->showMaximized();
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
    emit activationRequested();
}

void Basis::terminate() {
    m_terminated = true;
    QCoreApplication::quit();
}

void Basis::addCloseListener(AppEventListener* listener) {
    m_listeners.push_back(listener);
}

void Basis::forgetCloseListener(AppEventListener* listener) {
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

int Basis::askCloseListeners() {
    int answer = AppEventListener::NothingToSay;
    // A copy: a listener may create further listeners while it is asked.
    const std::vector<AppEventListener*> listeners = m_listeners;
    for (AppEventListener* listener : listeners) {
        const int result = listener->closeQuery();
        if (result == AppEventListener::Veto)
            return AppEventListener::Veto;
        if (result == AppEventListener::Settled)
            answer = AppEventListener::Settled;
    }
    return answer;
}

bool Basis::closeQuery() {
    switch (askCloseListeners()) {
    case AppEventListener::Veto:
        return false;
    case AppEventListener::Settled:
        return true;
    default:
        break;
    }
    if (!m_showCloseDialog)
        return true;
    return Platform::dialogs().messageBox(
               m_mainWindow.get(), QStringLiteral("Wollen Sie das Programm wirklich beenden?"), m_appName,
               Platform::MsgButtons::YesNo, Platform::MsgIcon::Question) == Platform::MsgResult::Yes;
}

QString Basis::readSetting(const QString& valueName) const {
    QString value = QSettings(QSettings::UserScope, Organisation, m_appName).value(valueName).toString();
    if (value.isEmpty())
        value = QSettings(QSettings::SystemScope, Organisation, m_appName).value(valueName).toString();
    return value;
}

bool Basis::writeSetting(const QString& valueName, const QString& value) {
    QSettings settings(QSettings::UserScope, Organisation, m_appName);
    if (value.isEmpty()) {
        settings.remove(valueName);
        return true;
    }
    if (!settings.isWritable())
        return false;
    settings.setValue(valueName, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString applicationTitle() {
    return g_applicationTitle;
}

void setApplicationTitle(const QString& title) {
    g_applicationTitle = title;
}

void showException(const std::exception& error) {
    showException(QString::fromUtf8(error.what()));
}

void showException(const QString& message) {
    Basis* basis = Basis::instance();
    QWidget* parent = basis ? basis->mainWindow() : nullptr;
    const QString caption = basis ? basis->appTitle() : applicationTitle();
    Platform::dialogs().messageBox(parent, message, caption, Platform::MsgButtons::Ok, Platform::MsgIcon::Error);
}

} // namespace Modul
