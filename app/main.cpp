#include "AppInitModule.h"
#include "Application.h"
#include "BatchPrint.h"
#include "MainWindow.h"
#include "ModulBasis.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    if (BatchPrint::Requested(QApplication::arguments()))
        return BatchPrint::Run(QApplication::arguments());
    TAppInitModule init(TAppInitModule::parseArguments(QApplication::arguments()));
    try {
        if (!init.initApp())
            return 0;
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
