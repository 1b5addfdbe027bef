#pragma once

#include "DataMedium.h"

#include <QStringList>

#include <memory>
#include <optional>

class LeftRightDataPageManager;
namespace Modul {
class Basis;
}

// The start-up module: runs the whole start-up sequence, from the
// application object to the attached main menu.
class TAppInitModule {
public:
    struct Options {
        QString dataRoot; // --data DIR
        // Where to look for the data medium; the machine's usual places when unset.
        std::optional<DataMedium::SearchPlaces> places;
        bool help = false;    // --help, -h: print the usage and end
        bool version = false; // --version: print the version and end
        QStringList files;    // files to open once the viewer runs
    };

    // "--data DIR" or "--data=DIR", "--help" (or "-h"), "--version"; an
    // argument that is no option names a file to open; other options are
    // left to the toolkit.
    static Options parseArguments(const QStringList& arguments);
    // What --help and --version print.
    static QString usageText();
    static QString versionLine();

    explicit TAppInitModule(Options options);
    ~TAppInitModule();

    // The start-up sequence. False when the program is to end (another
    // viewer was brought to the front, no data medium, bad start-up data).
    bool initApp();
    // The program's exit code after initApp returned false: 0 when another
    // viewer took over or the user cancelled the search for the medium,
    // non-zero when the start-up data of the medium is missing or invalid.
    int exitCode() const { return m_exitCode; }

    const Options& options() const { return m_options; }
    Modul::Basis* basis() const { return m_basis.get(); }
    const DataMedium::StartupData& startupData() const { return m_data; }
    LeftRightDataPageManager* pageManager() const { return m_pages.get(); }

    static QString productName();
    static QString versionText();
    static QString copyrightText();

private:
    Options m_options;
    std::unique_ptr<Modul::Basis> m_basis;
    std::unique_ptr<LeftRightDataPageManager> m_pages;
    DataMedium::StartupData m_data;
    int m_exitCode = 0;
};
