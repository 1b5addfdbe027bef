#include "DataMedium.h"
#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace DataMedium;
using TestSupport::makeMedium;
using TestSupport::writeFile;

namespace {

DataMedium::SearchPlaces nowhere() {
    return DataMedium::SearchPlaces{};
}

} // namespace

TEST(DataMediumIni, SectionAndKeyMatchExactly) {
    struct Case {
        const char* legend;
        QByteArray text;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"plain section and key", "[Extension]\nDataDrive=/media/cd\n", QString("/media/cd")},
        {"CR LF line ends", "[Other]\r\nx=1\r\n[Extension]\r\nDataDrive=/mnt/cd\r\n", QString("/mnt/cd")},
        {"section without the key", "[Extension]\nFoo=bar\n", std::nullopt},
        {"lower-case section", "[extension]\nDataDrive=/media/cd\n", std::nullopt},
        {"trailing blank after the section", "[Extension] \nDataDrive=/media/cd\n", std::nullopt},
        {"leading blank before the section", " [Extension]\nDataDrive=/media/cd\n", std::nullopt},
        {"section on the last line without line end", "[Extension]", std::nullopt},
        {"key before the section", "DataDrive=/early\n[Extension]\n", std::nullopt},
        {"key in a later section still counts", "[Extension]\n[Later]\nDataDrive=/later\n", QString("/later")},
        {"first key line wins", "[Extension]\nDataDrive=/one\nDataDrive=/two\n", QString("/one")},
        {"key with blank before it does not match", "[Extension]\n DataDrive=/x\nDataDrive=/y\n", QString("/y")},
        {"key at end of file without line end", "[Extension]\nDataDrive=/z", QString("/z")},
        {"no file content", "", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseIniDrive(c.text), c.expected) << c.legend;
}

TEST(DataMediumIni, LongLinesAreReadInPieces) {
    // A 600-character line is two pieces; its second piece is not a line of
    // its own start, but it is matched like one, as the fixed buffer did.
    QByteArray text = "[Extension]\n" + QByteArray(511, 'x') + "DataDrive=/tail\n";
    EXPECT_EQ(parseIniDrive(text), QString("/tail"));
    // A section line longer than the buffer never opens the section.
    QByteArray longSection = "[Extension]" + QByteArray(600, ' ') + "\nDataDrive=/x\n";
    EXPECT_EQ(parseIniDrive(longSection), std::nullopt);
}

TEST(DataMediumIni, ReadsTheFileInTheSystemConfigFolder) {
    QTemporaryDir dir;
    qputenv("VISTREL_SYSCONFDIR", dir.path().toUtf8());
    EXPECT_EQ(iniFilePath(), dir.path() + "/VISTREL.ini");
    EXPECT_EQ(readIniDrive(iniFilePath()), std::nullopt);
    writeFile(dir.path() + "/VISTREL.ini", "[Extension]\nDataDrive=/srv/medium\n");
    EXPECT_EQ(readIniDrive(iniFilePath()), QString("/srv/medium"));
    EXPECT_EQ(defaultSearchPlaces("/cmd").iniDrive, QString("/srv/medium"));
    qunsetenv("VISTREL_SYSCONFDIR");
}

TEST(DataMediumStartupData, ValuesAndValidity) {
    struct Case {
        const char* legend;
        QByteArray text;
        bool valid;
        int cd;
        double easting;
        double northing;
    };
    const Case cases[] = {
        {"three lines", "3\n3450000.5\n5500000.25\n", true, 3, 3450000.5, 5500000.25},
        {"one line, blanks between", "2 3500000 5400000", true, 2, 3500000, 5400000},
        {"tabs, CR LF, leading blanks, plus signs", "  +5\r\n\t3.5e6\r\n+5.5e6\r\n", true, 5, 3.5e6, 5.5e6},
        {"trailing text is ignored", "1 2 3 anything", true, 1, 2, 3},
        {"CD number 0", "0\n3500000\n5500000\n", false, 0, 0, 0},
        {"CD number 6", "6\n3500000\n5500000\n", false, 0, 0, 0},
        {"negative CD number", "-1\n3500000\n5500000\n", false, 0, 0, 0},
        {"only two values", "1\n3500000\n", false, 0, 0, 0},
        {"not a number", "eins\n3500000\n5500000\n", false, 0, 0, 0},
        {"second value broken", "1\nx\n5500000\n", false, 0, 0, 0},
        {"CD number overflows", "99999999999999999999 1 2", false, 0, 0, 0},
        {"infinite coordinate", "1 inf 2", false, 0, 0, 0},
        {"empty", "", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const std::optional<StartupData> data = parseStartupData(c.text);
        ASSERT_EQ(data.has_value(), c.valid) << c.legend;
        if (!data)
            continue;
        EXPECT_EQ(data->cdNumber, c.cd) << c.legend;
        EXPECT_DOUBLE_EQ(data->easting, c.easting) << c.legend;
        EXPECT_DOUBLE_EQ(data->northing, c.northing) << c.legend;
    }
}

TEST(DataMediumStartupData, ReadsCdTxtCaseInsensitively) {
    QTemporaryDir dir;
    EXPECT_FALSE(readStartupData(dir.path()).has_value()) << "no file";
    writeFile(dir.path() + "/karten/cd.txt", "4 3400000 5300000\n");
    const std::optional<StartupData> data = readStartupData(dir.path());
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->cdNumber, 4);
    EXPECT_EQ(regionalMapFile(data->cdNumber), "AREA4330.TLM");
    EXPECT_EQ(regionalMapFile(0), "");
    EXPECT_EQ(regionalMapFile(6), "");
}

TEST(DataMediumAcceptance, OneReadableRegionalMapSuffices) {
    QTemporaryDir dir;
    const QString root = dir.path();
    EXPECT_FALSE(isAccepted(root)) << "empty folder";
    writeFile(root + "/KARTEN/UEB_1600.TLM", "");
    EXPECT_FALSE(isAccepted(root)) << "only an overview map";
    writeFile(root + "/KARTEN/AREA3330.TLM", "");
    EXPECT_TRUE(isAccepted(root)) << "only the third regional map";
    EXPECT_FALSE(isAccepted(root + "/missing"));
    EXPECT_FALSE(isAccepted(""));

    QTemporaryDir lower;
    writeFile(lower.path() + "/karten/area5330.tlm", "");
    EXPECT_TRUE(isAccepted(lower.path())) << "names on the medium in lower case";

    QTemporaryDir folderOnly;
    QDir().mkpath(folderOnly.path() + "/KARTEN/AREA1330.TLM");
    EXPECT_FALSE(isAccepted(folderOnly.path())) << "a folder named like the map is no map";
}

TEST(DataMediumLocate, CandidatesInOrder) {
    QTemporaryDir mounts;
    QDir(mounts.path()).mkpath("b-disc");
    QDir(mounts.path()).mkpath("a-disc");
    SearchPlaces places;
    places.commandLine = "/cmd";
    places.environment = "/env";
    places.iniDrive = QString("/ini");
    places.mountBases = {mounts.path(), mounts.path() + "/none"};
    EXPECT_EQ(candidateRoots(places),
              (QStringList{"/cmd", "/env", "/ini", mounts.path() + "/a-disc", mounts.path() + "/b-disc"}));
}

TEST(DataMediumLocate, FirstAcceptedCandidateWins) {
    Platform::ScriptedDialogs dialogs;
    QTemporaryDir mounts;
    makeMedium(mounts.path() + "/cd2", "2 1 1", "AREA2330.TLM");
    makeMedium(mounts.path() + "/cd1", "1 1 1", "AREA1330.TLM");
    QTemporaryDir badIni; // holds none of the regional maps
    writeFile(badIni.path() + "/KARTEN/CD.TXT", "1 1 1");

    SearchPlaces places = nowhere();
    places.iniDrive = badIni.path();
    places.mountBases = {mounts.path()};
    EXPECT_EQ(locate(places, nullptr, "T"), mounts.path() + "/cd1/") << "rejected ini drive, scan in name order";
    EXPECT_TRUE(dialogs.messages.isEmpty());

    QTemporaryDir command;
    makeMedium(command.path(), "3 1 1", "AREA3330.TLM");
    places.commandLine = command.path();
    EXPECT_EQ(locate(places, nullptr, "T"), command.path() + "/");
}

TEST(DataMediumLocate, AsksToInsertTheMediumUntilCancelled) {
    Platform::ScriptedDialogs dialogs;
    QTemporaryDir mounts;
    SearchPlaces places = nowhere();
    places.mountBases = {mounts.path()};

    dialogs.messageAnswers = {Platform::MsgResult::Cancel};
    EXPECT_EQ(locate(places, nullptr, "Titel"), std::nullopt);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, QString("Bitte legen Sie eine der \"Vistrel\"-CD-ROMs ein!"));
    EXPECT_EQ(dialogs.messages[0].caption, QString("Titel"));
    EXPECT_EQ(dialogs.messages[0].buttons, Platform::MsgButtons::OkCancel);
    EXPECT_EQ(dialogs.messages[0].icon, Platform::MsgIcon::Exclamation);

    // OK searches again: the medium appears while the question is shown.
    dialogs.messages.clear();
    dialogs.messageAnswers = {Platform::MsgResult::Ok, Platform::MsgResult::Ok};
    int asked = 0;
    dialogs.onMessage = [&](const QString&) {
        if (++asked == 2)
            makeMedium(mounts.path() + "/cdrom", "1 1 1");
    };
    EXPECT_EQ(locate(places, nullptr, "Titel"), mounts.path() + "/cdrom/");
    EXPECT_EQ(dialogs.messages.size(), 2);
}
