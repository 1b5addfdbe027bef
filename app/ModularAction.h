#pragma once

#include "MapSequenceInfo.h"

#include <QAction>
#include <QImage>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class MapFunction;
class QMenu;
class QWidget;
class TTolmWindow;

// An action of the module and action framework. A module creates it, sets
// where it goes (MenuPath, ToolbarCategory, the toolbar bitmap by resource
// name, the hint) and registers it; registration builds its menu entry and
// its toolbar button. Actions live until the program ends.
class TModularAction : public QAction {
    Q_OBJECT
    Q_PROPERTY(QAction* Action READ action WRITE setAction)
    Q_PROPERTY(QString MenuPath READ menuPath WRITE setMenuPath)
    Q_PROPERTY(QImage MenuBitmap READ menuBitmap WRITE setMenuBitmap)
    Q_PROPERTY(QString ToolbarCategory READ toolbarCategory WRITE setToolbarCategory)
    Q_PROPERTY(QImage ToolbarBitmap READ toolbarBitmap WRITE setToolbarBitmap)

public:
    explicit TModularAction(QObject* parent = nullptr);
    ~TModularAction() override;

    // Executing this action executes the wrapped one, when set.
    QAction* action() const { return m_action; }
    void setAction(QAction* wrapped) { m_action = wrapped; }

    // "&Anzeige|(CAT_VIEW_MAP)|&Zoomen|&Hineinzoomen"; empty = no menu entry.
    QString menuPath() const { return m_menuPath; }
    void setMenuPath(const QString& path) { m_menuPath = path; }

    QImage menuBitmap() const { return m_menuBitmap; }
    void setMenuBitmap(const QImage& bitmap) { m_menuBitmap = bitmap; }
    void setMenuBitmapName(const QString& resourceName);

    QString toolbarCategory() const { return m_toolbarCategory; }
    void setToolbarCategory(const QString& category) { m_toolbarCategory = category; }

    // No bitmap: no toolbar button.
    QImage toolbarBitmap() const { return m_toolbarBitmap; }
    void setToolbarBitmap(const QImage& bitmap) { m_toolbarBitmap = bitmap; }
    // Loads the bitmap resource of that name; a missing one is a fault of the
    // build and raises std::runtime_error.
    void setToolbarBitmapName(const QString& resourceName);

    // The hint: tool tip and status bar text.
    QString hint() const { return toolTip(); }
    void setHint(const QString& hint);

    virtual void execute();
    // Called when the application is idle, so that the enabled and checked
    // states follow the map without notifications.
    virtual void update() {}

    bool isRegistered() const { return m_registered; }

signals:
    // The framework default of execute when no action is wrapped.
    void executeEvent();

private:
    friend void registerAction(TModularAction* action);

    QPointer<QAction> m_action;
    QString m_menuPath;
    QImage m_menuBitmap;
    QString m_toolbarCategory;
    QImage m_toolbarBitmap;
    bool m_registered = false;
};

// Places the action into the main menu and onto the toolbar of the
// application's main window. An action is registered once; a second call
// does nothing.
void registerAction(TModularAction* action);

// Calls update on every registered action.
void updateRegisteredActions();

// Opens a popup menu at the lower-left corner of a control (drop-down buttons).
void showPopup(QWidget* control, QMenu* popup);

// Calls a plain function.
class TModularFunctionAction : public TModularAction {
    Q_OBJECT
public:
    explicit TModularFunctionAction(std::function<void()> function, QObject* parent = nullptr);
    void execute() override;

private:
    std::function<void()> m_function;
};

// Makes its map function the active one; checked while it is.
class TMapFunctionAction : public TModularAction {
    Q_OBJECT
public:
    // The menu path becomes "&Funktion|" + caption (no entry for an empty
    // caption). The action keeps the map function until it is destroyed.
    TMapFunctionAction(const QString& caption, std::shared_ptr<MapFunction> function, QObject* parent = nullptr);
    MapFunction* mapFunction() const { return m_function.get(); }
    void execute() override;
    void update() override;

private:
    std::shared_ptr<MapFunction> m_function;
};

// Zooms the map about its centre: relative (new zoom = zoom / factor) or
// absolute (new zoom = factor).
class ModularZoomAction : public TModularAction {
    Q_OBJECT
public:
    ModularZoomAction(double factor, bool relative, QObject* parent = nullptr);
    void execute() override;
    void update() override;

private:
    double m_factor;
    bool m_relative;
};

// Dims the map: new value = clamp(truncate(value * factor) + offset, 0, 255).
class ModularDimmerAction : public TModularAction {
    Q_OBJECT
public:
    ModularDimmerAction(double factor, int offset, QObject* parent = nullptr);
    static int dimmedValue(int value, double factor, int offset);
    void execute() override;
    void update() override;

private:
    double m_factor;
    int m_offset;
};

// Shows a dialog about the map window; optionally enabled by a query.
class ModularAskAction : public TModularAction {
    Q_OBJECT
public:
    using AskFunction = std::function<void(TTolmWindow* mapWindow, QWidget* mainWindow)>;
    using QueryFunction = std::function<bool(TTolmWindow* mapWindow, QWidget* mainWindow)>;
    ModularAskAction(AskFunction ask, QueryFunction query, QObject* parent = nullptr);
    void execute() override;
    void update() override;

private:
    AskFunction m_ask;
    QueryFunction m_query;
};

// Shows one map of the map sequence.
class TMapSelectAction : public TModularAction {
    Q_OBJECT
public:
    explicit TMapSelectAction(const Modul::Kartenfolge::Info& entry, QObject* parent = nullptr);
    const Modul::Kartenfolge::Info& entry() const { return m_entry; }
    void select(bool showPage);
    void execute() override;
    void update() override;

private:
    Modul::Kartenfolge::Info m_entry;
};

// Steps through the map sequence by -1 or +1.
class TMapUpDownAction : public TModularAction {
    Q_OBJECT
public:
    explicit TMapUpDownAction(int step, QObject* parent = nullptr);
    void execute() override;
    void update() override;

private:
    int target() const;

    int m_step;
};
