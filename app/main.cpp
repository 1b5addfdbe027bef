#include "AppInitModule.h"
#include "Application.h"
#include "BatchPrint.h"
#include "FileArguments.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "QtGerman.h"

#include <QStringList>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    // --help and --version answer on the terminal, before anything of the
    // user interface exists (no display is needed for them).
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    TAppInitModule::Options options = TAppInitModule::parseArguments(arguments);
    if (options.help || options.version) {
        const QString text =
            options.help ? TAppInitModule::usageText() : TAppInitModule::versionLine() + QLatin1Char('\n');
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return 0;
    }

    TApplication app(argc, argv);
    // Qt's own dialogs (file, print, colour) in German.
    QtGerman::install(app);
    // Desktops take the window's icon and name from the installed entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("de.dremal.Vistrel"));
    if (BatchPrint::Requested(QApplication::arguments()))
        return BatchPrint::Run(QApplication::arguments());
    TAppInitModule init(TAppInitModule::parseArguments(QApplication::arguments()));
    try {
        if (!init.initApp())
            return init.exitCode();
    } catch (const std::exception& error) {
        Modul::showException(error);
        return 1;
    } catch (...) {
        Modul::showException(QStringLiteral("Unbekannter Fehler beim Programmstart"));
        return 1;
    }
    QWidget* window = init.basis()->mainWindow();
    window->showMaximized();
    // Files named on the command line once the window stands, so that a map
    // opened from them is centred in the window's real size.
    if (!init.options().files.isEmpty())
        QTimer::singleShot(0, window, [&init, window] { FileArguments::open(init.options().files, window); });
    return QApplication::exec();
}
