#pragma once

#include "DhmPath.h"

#include <QMenu>
#include <QWidget>

#include <functional>

class QAction;
class QPrinter;
class QPushButton;

// The window class "DHMProfileWindow": a plain white window that paints the
// profile of its path (not owned) into its client area.
class DHMProfileWindow : public QWidget {
    Q_OBJECT
public:
    explicit DHMProfileWindow(QWidget* parent = nullptr);
    void setPath(const DHM_Path* path);
    const DHM_Path* path() const { return m_path; }
    // What the last paint drew.
    const DHM_Graph& lastGraph() const { return m_graph; }
    // The graph as an image of the window's size.
    QImage render(DHM_Graph* graph = nullptr) const;

    // A left click on the plot: the distance along the line under it.
    std::function<void(double distance, const QPoint& globalPos)> onGraphClick;
    std::function<void(const QPoint& globalPos)> onContextMenu;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const DHM_Path* m_path = nullptr;
    DHM_Graph m_graph;
};

// The profile window: stays on top of the main window, resizable; the
// button ">>" and a right click open the option menu.
class TDHMDialog : public QWidget {
    Q_OBJECT
public:
    TDHMDialog(DHM_Path* path, QWidget* owner = nullptr);

    DHMProfileWindow* graphWindow() const { return m_graph; }
    QPushButton* pshOptions() const { return m_options; }
    DHM_Path* path() const { return m_path; }
    // Repaints the graph.
    void pathChanged();

    // The option menu with the checks set for the current flags.
    QMenu* optionMenu();
    void updateChecks();

    // The graph with the source line below it, as saved.
    QImage picture() const;
    // Asks for a file name and saves the picture; false when cancelled or failed.
    bool savePicture();
    // Asks for a printer and prints; false when cancelled.
    bool print();
    // Prints the graph on one page of the printer (already set up).
    void printTo(QPrinter& printer);

    // "Zu &Position springen": the map is centred on the line at this distance.
    std::function<void(double distance)> onJumpTo;
    double pendingJumpDistance() const { return m_jumpDistance; }

    QAction *Interpol, *InterpolNone, *InterpolPoints, *InterpolHeights, *InterpolBoth, *Percentages, *Statistik,
        *Hilfslinien, *SelectColor, *Dicke1, *PenWidth1, *PenWidth3, *PenWidth5, *SavePicture, *Print;
    QAction* JumpToPosition;
    QMenu* GraphClickMenu;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void setFlags(int flags);

    DHM_Path* m_path;
    DHMProfileWindow* m_graph;
    QPushButton* m_options;
    QMenu* m_menu;
    double m_jumpDistance = 0.0;
};

// The caption line under a saved or printed profile.
inline constexpr const char* DhmSourceLine = "Quelle: DHM-Daten der Landesvermessung";
