#pragma once

#include <QObject>
#include <QString>

#include <exception>
#include <memory>
#include <vector>

class AppEventListener;
class TMainWindow;
class SingleInstance;

namespace Modul {

// The application object: product texts, the data root, the per-user
// settings, the close listeners and the main window. One instance for the
// whole program, created first by the start-up module and kept until exit.
class Basis : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isSingleInstanceApp READ isSingleInstanceApp WRITE setSingleInstanceApp)
    Q_PROPERTY(bool Terminated READ terminated)
    Q_PROPERTY(QString BasePath READ basePath WRITE setBasePath)
    Q_PROPERTY(QString AppName READ appName WRITE setAppName)
    Q_PROPERTY(QString AppTitle READ appTitle WRITE setAppTitle)
    Q_PROPERTY(QString AppVersionText READ appVersionText WRITE setAppVersionText)
    Q_PROPERTY(QString CopyrightText READ copyrightText WRITE setCopyrightText)
    Q_PROPERTY(bool ShowCloseDialog READ showCloseDialog WRITE setShowCloseDialog)
    Q_PROPERTY(bool UseMenuBitmaps READ useMenuBitmaps WRITE setUseMenuBitmaps)

public:
    // Creates the main window, which becomes the application's main window.
    Basis();
    ~Basis() override;

    // The one instance, none before it is created.
    static Basis* instance();

    bool isSingleInstanceApp() const { return m_singleInstance; }
    void setSingleInstanceApp(bool on) { m_singleInstance = on; }

    bool terminated() const { return m_terminated; }

    // Root directory of the data medium, always ending in "/". The value ".."
    // stands for two levels above the program file.
    QString basePath() const { return m_basePath; }
    void setBasePath(const QString& path);

    QString appName() const { return m_appName; }
    void setAppName(const QString& name) { m_appName = name; }

    // The main window's caption. Setting it while another running viewer
    // already shows this title brings that one to the front and ends this one.
    QString appTitle() const;
    void setAppTitle(const QString& title);

    QString appVersionText() const { return m_versionText; }
    void setAppVersionText(const QString& text) { m_versionText = text; }
    QString copyrightText() const { return m_copyrightText; }
    void setCopyrightText(const QString& text) { m_copyrightText = text; }

    bool showCloseDialog() const { return m_showCloseDialog; }
    void setShowCloseDialog(bool on) { m_showCloseDialog = on; }
    bool useMenuBitmaps() const { return m_useMenuBitmaps; }
    void setUseMenuBitmaps(bool on) { m_useMenuBitmaps = on; }

    TMainWindow* mainWindow() const { return m_mainWindow.get(); }

    // Sets Terminated and ends the message loop at once.
    void terminate();

    void addCloseListener(AppEventListener* listener);
    void forgetCloseListener(AppEventListener* listener);
    // Asks every listener in registration order: 7 stops the pass and is the
    // answer; otherwise 6 when any listener said 6, else 0.
    int askCloseListeners();
    // The main window's close query: true when the window may close.
    bool closeQuery();

    // Per-user settings, kept under the organisation "Dremal" and AppName.
    // A missing user value falls back to the machine-wide one; failures read
    // as empty.
    QString readSetting(const QString& valueName) const;
    // A non-empty value is written (false when the store cannot be written);
    // an empty one removes the value and returns true.
    bool writeSetting(const QString& valueName, const QString& value);

    // Full path of the program file and its folder (ending in "/", or empty).
    static QString programFilePath();
    static QString programDirectory();
    // The ".." rule: the program path cut twice at its last "/", the first
    // cut dropping the "/", the second keeping it ("/PROG/vistrel" → "/").
    static QString twoLevelsAbove(const QString& programPath);

    // The single-instance link of this application, for the start-up test.
    SingleInstance* singleInstance() const { return m_instance.get(); }

signals:
    // Another viewer with our title asked to be replaced by this one.
    void activationRequested();

private:
    void bringToFront();

    bool m_singleInstance = true;
    bool m_terminated = false;
    QString m_basePath;
    QString m_appName;
    QString m_versionText;
    QString m_copyrightText;
    bool m_showCloseDialog = true;
    bool m_useMenuBitmaps = false;
    std::vector<AppEventListener*> m_listeners;
    std::unique_ptr<TMainWindow> m_mainWindow;
    std::unique_ptr<SingleInstance> m_instance;
};

// The application's title (the program's name in the desktop's task list):
// "vistrel" from the start, then AppTitle. Dialog captions use it.
QString applicationTitle();
void setApplicationTitle(const QString& title);

// The framework's general exception handler: shows the message of an
// exception that no code path handled, captioned with the application title.
void showException(const std::exception& error);
void showException(const QString& message);

// Runs f where nothing may unwind through the toolkit (its events, menu
// commands): a failure is shown by the general handler instead.
template <typename F> void guarded(F&& f) {
    try {
        f();
    } catch (const std::exception& error) {
        showException(error);
    }
}

} // namespace Modul
