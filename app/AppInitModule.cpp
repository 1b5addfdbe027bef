#include "AppInitModule.h"

#include "LeftRightFrame.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "Paths.h"
#include "PlatformDialogs.h"
#include "StartupSequence.h"

namespace {

// The toolkit's command-line options that take a separate value.
const QStringList& qtOptionsWithValue() {
    static const QStringList options = {
        QStringLiteral("-platform"),        QStringLiteral("-platformpluginpath"),
        QStringLiteral("-platformtheme"),   QStringLiteral("-plugin"),
        QStringLiteral("-qwindowgeometry"), QStringLiteral("-qwindowicon"),
        QStringLiteral("-qwindowtitle"),    QStringLiteral("-style"),
        QStringLiteral("-stylesheet"),      QStringLiteral("-session"),
        QStringLiteral("-display"),         QStringLiteral("-geometry"),
        QStringLiteral("-title"),           QStringLiteral("-name"),
        QStringLiteral("-visual"),
    };
    return options;
}

} // namespace

TAppInitModule::Options TAppInitModule::parseArguments(const QStringList& arguments) {
    Options options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--data") && i + 1 < arguments.size())
            options.dataRoot = arguments[++i];
        else if (argument.startsWith(QStringLiteral("--data=")))
            options.dataRoot = argument.mid(7);
        else if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h"))
            options.help = true;
        else if (argument == QStringLiteral("--version"))
            options.version = true;
        else if (qtOptionsWithValue().contains(argument))
            ++i; // the toolkit's, with its value ("-style fusion")
        else if (!argument.startsWith(u'-'))
            options.files << argument;
    }
    return options;
}

QString TAppInitModule::usageText() {
    return QStringLiteral("Aufruf: vistrel [--data VERZEICHNIS] [DATEI...]\n"
                          "\n"
                          "Zeigt die topographischen Karten eines Datenträgers.\n"
                          "\n"
                          "  --data VERZEICHNIS  Wurzel des Datenträgers (mit KARTEN/CD.TXT)\n"
                          "  --help, -h          diese Hilfe ausgeben und beenden\n"
                          "  --version           die Version ausgeben und beenden\n"
                          "  DATEI               eine Karte (.tlm, .kmo) im Kartenfenster zeigen oder eine\n"
                          "                      Zeichnung (.qvo, .gpx) laden\n"
                          "\n"
                          "Drucken ohne Bildschirm:\n"
                          "  vistrel --data VERZEICHNIS --print-pdf AUSGABE.pdf [--scale N] [--centre R,H]\n"
                          "          [--map N] [--landscape] [--dpi N]\n"
                          "  druckt die Kartenansicht im Maßstab 1:N (Vorgabe 25000, 0 = Fensterinhalt)\n"
                          "  um den Gauß-Krüger-Punkt R,H auf Karte N der Kartenfolge in eine PDF-Datei\n"
                          "  (A4 hoch, quer mit --landscape, 600 dpi) und beendet sich.\n"
                          "\n"
                          "Ohne --data wird der Datenträger in VISTREL_DATA, im Laufwerk aus\n"
                          "VISTREL.ini (Abschnitt [Extension], DataDrive=) und unter /media und\n"
                          "/mnt gesucht.\n");
}

QString TAppInitModule::versionLine() {
    return productName() + QLatin1Char(' ') + versionText();
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
    // The same program reads official media and the generated demo medium,
    // and nothing on a medium says which one it is: the notice names both.
    return QStringLiteral("Kartendaten: © Landesvermessungsamt, Stand 2002; Demo-Datenträger: "
                          "generierte, fiktive Region\n"
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
    QString problem;
    if (root)
        data = DataMedium::readStartupData(*root, &problem);
    if (!data) {
        // Without a medium the user cancelled; a medium whose start-up file
        // is missing or wrong is a failure the user must hear about.
        if (root) {
            Platform::dialogs().messageBox(basis.mainWindow(),
                                           problem + QStringLiteral("\n\nDas Programm wird beendet."), basis.appTitle(),
                                           Platform::MsgButtons::Ok, Platform::MsgIcon::Error);
            m_exitCode = 2;
        }
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
