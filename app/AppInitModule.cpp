#include "AppInitModule.h"

#include "LeftRightFrame.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "Paths.h"
#include "StartupSequence.h"

TAppInitModule::Options TAppInitModule::parseArguments(const QStringList& arguments) {
    Options options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--data") && i + 1 < arguments.size())
            options.dataRoot = arguments[++i];
        else if (argument.startsWith(QStringLiteral("--data=")))
            options.dataRoot = argument.mid(7);
    }
    return options;
}

TAppInitModule::TAppInitModule(Options options) : m_options(std::move(options)) {}

TAppInitModule::~TAppInitModule() {
    m_pages.reset();
    m_basis.reset();
}

QString TAppInitModule::productName() {
    return QStringLiteral("vistrel (32-Bit-Version)");
}

QString TAppInitModule::versionText() {
    return QStringLiteral("Version 1.32");
}

QString TAppInitModule::copyrightText() {
    return QStringLiteral("Kartendaten: © Landesvermessungsamt, Stand 2002\n"
                          "Programm: © 1998–2002 Dremal Software");
}

bool TAppInitModule::initApp() {
    m_basis = std::make_unique<Modul::Basis>();
    Modul::Basis& basis = *m_basis;

    basis.setAppName(productName());
    basis.setAppTitle(productName());
    basis.setAppVersionText(versionText());
    basis.setCopyrightText(copyrightText());

    const DataMedium::SearchPlaces places =
        m_options.places ? *m_options.places : DataMedium::defaultSearchPlaces(m_options.dataRoot);
    const std::optional<QString> root = DataMedium::locate(places, basis.mainWindow(), basis.appTitle());
    std::optional<DataMedium::StartupData> data;
    if (root)
        data = DataMedium::readStartupData(*root);
    if (!data) {
        basis.terminate();
        return false;
    }
    if (basis.terminated())
        return false;
    m_data = *data;

    basis.setBasePath(*root);
    Singletons::Paths::instance().setSymbolDirectoryOverride(Singletons::Paths::instance().programDirectory() +
                                                             QStringLiteral("Symbole/"));
    m_pages = std::make_unique<LeftRightDataPageManager>(basis.mainWindow());

    Startup::Context context{basis, *basis.mainWindow(), m_data};
    for (const Startup::Step& step : Startup::steps())
        step.run(context);

    basis.mainWindow()->attachMainMenu();
    return true;
}
