// tlmview: shows one map file in the map library's "TolmMfcWindow".
//
//   tlmview [--pdf FILE [--print]] [MAP]
//
// With --pdf the print command writes FILE instead of asking for a printer;
// --print then prints MAP as shown in the window when it opens and quits,
// without a dialog (exit code 0 when the page was written).

#include "QtGerman.h"
#include "velmar32.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPrinter>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <string>

namespace {

QString pdfFile;

int32_t printToPdf(void*, void* printer) {
    auto* p = static_cast<QPrinter*>(printer);
    p->setOutputFormat(QPrinter::PdfFormat);
    p->setOutputFileName(pdfFile);
    p->setPageOrientation(QPageLayout::Landscape);
    return 1;
}

QMainWindow* mainWindow = nullptr;

// The window's news in the status line.
int32_t hostCallback(TLM_HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == TLM_WM_COMMAND && wParam == TLM_NOTIFY_OPENED && mainWindow) {
        mainWindow->setWindowTitle(QStringLiteral("tlmview - ") +
                                   QString::fromLocal8Bit(reinterpret_cast<const char*>(lParam)));
    } else if (message == TLM_WM_COMMAND && wParam == TLM_NOTIFY_CLOSED && mainWindow) {
        mainWindow->setWindowTitle(QStringLiteral("tlmview"));
    } else if (message == TLM_WM_MOUSEMOVE && mainWindow) {
        Coord point;
        point.type = TLM_COORD_WINDOW_CLIENT;
        point.zone = window;
        point.x = double(lParam & 0xFFFF);
        point.y = double((lParam >> 16) & 0xFFFF);
        Coord gk;
        gk.type = TLM_COORD_GAUSS_KRUEGER;
        if (TLM_TransformCoords(&point, &gk) == 1)
            mainWindow->statusBar()->showMessage(
                QStringLiteral("R %1  H %2  (Streifen %3)").arg(gk.y, 0, 'f', 0).arg(gk.x, 0, 'f', 0).arg(gk.zone));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QtGerman::install(app);
    QStringList args = app.arguments();
    args.removeFirst();
    QString mapPath;
    bool printAndQuit = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--pdf") && i + 1 < args.size())
            pdfFile = args[++i];
        else if (args[i] == QLatin1String("--print"))
            printAndQuit = true;
        else
            mapPath = args[i];
    }
    if (printAndQuit && (pdfFile.isEmpty() || mapPath.isEmpty())) {
        std::fputs("tlmview: --print needs --pdf FILE and a map\n", stderr);
        return 2;
    }
    if (!pdfFile.isEmpty())
        TLM_SetPrintDialogFunction(&printToPdf);

    TLM_Wnd_Init();
    QMainWindow window;
    mainWindow = &window;
    window.setWindowTitle(QStringLiteral("tlmview"));
    auto* central = new QWidget(&window);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    window.setCentralWidget(central);
    const TLM_HWND map = TLM_Wnd_Create("TolmMfcWindow", central, TLM_WS_HSCROLL | TLM_WS_VSCROLL, nullptr);
    TLM_Wnd_SetCallback(map, &hostCallback);
    layout->addWidget(static_cast<QWidget*>(TLM_Wnd_GetWidget(map)));
    const TLM_WndProc proc = TLM_Wnd_GetWndProc();

    // Menu items that stand for the window's commands carry their id, so the
    // window greys them while it has no map.
    auto command = [&](QMenu* menu, const QString& text, int id) {
        QAction* action = menu->addAction(text, [=] { proc(map, TLM_WM_COMMAND, uintptr_t(id), 0); });
        action->setProperty("tlmCommand", id);
        if (id != TLM_CMD_OPEN)
            action->setEnabled(false);
        return action;
    };
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&Datei"));
    command(file, QStringLiteral("Ö&ffnen..."), TLM_CMD_OPEN);
    command(file, QStringLiteral("&Schließen"), TLM_CMD_CLOSE);
    // Scale 0: the visible part of the window, fitted to the page. Any fixed
    // scale suits only maps made for it and enlarges or shrinks every other
    // map beyond what the user sees.
    auto print = [&] {
        TLM_PRINTPARAMS params{&window, map, TLM_PRINT_SCALEBAR, "tlmview", 0, 297, 210};
        return TLM_Print(&params);
    };
    file->addAction(QStringLiteral("&Drucken..."), print);
    file->addSeparator();
    file->addAction(QStringLiteral("&Beenden"), &window, &QWidget::close);
    QMenu* view = window.menuBar()->addMenu(QStringLiteral("&Ansicht"));
    command(view, QStringLiteral("&Folien..."), TLM_CMD_LAYERS);
    command(view, QStringLiteral("&Abdunkeln..."), TLM_CMD_DIMMER);
    view->addSeparator();
    auto zoomBy = [map](double factor) {
        double zoom = 1;
        if (TLM_Wnd_GetZoomFactor(map, &zoom)) {
            zoom *= factor;
            TLM_Wnd_SetZoomFactor(map, &zoom);
        }
    };
    view->addAction(QStringLiteral("Ver&größern"), QKeySequence(Qt::Key_Plus), [=] { zoomBy(2); });
    view->addAction(QStringLiteral("Ver&kleinern"), QKeySequence(Qt::Key_Minus), [=] { zoomBy(0.5); });

    window.resize(800, 600);
    window.show();
    if (!mapPath.isEmpty()) {
        const std::string local = mapPath.toLocal8Bit().toStdString();
        if (!TLM_Wnd_OpenFile(map, local.c_str()) && printAndQuit)
            return 1;
    }
    if (printAndQuit) {
        // Printed once the window has its size, as the user would.
        QTimer::singleShot(0, &window, [&] { app.exit(print() == 1 ? 0 : 1); });
    }
    return app.exec();
}
