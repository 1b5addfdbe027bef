#include "AppInitModule.h"
#include "Application.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "QtGerman.h"

#include <QStringList>

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
    init.basis()->mainWindow()->showMaximized();
    return QApplication::exec();
}
