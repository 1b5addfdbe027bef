#include "DataMedium.h"

#include "MediumPath.h"
#include "PlatformDialogs.h"

#include <QDir>
#include <QFile>

#include <charconv>
#include <cmath>
#include <limits>

namespace DataMedium {

namespace {

// Nobody writes a start-up file this long; reading stops here.
constexpr qint64 MaxStartupFileSize = 64 * 1024;
// Ini lines are read in pieces of at most this many characters, as the
// original fixed line buffer did.
constexpr qsizetype IniLineLimit = 511;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

void skipBlanks(const char*& p, const char* end) {
    while (p < end && isBlank(*p))
        ++p;
}

bool readInt(const char*& p, const char* end, int& value) {
    skipBlanks(p, end);
    if (p < end && *p == '+')
        ++p;
    const auto [next, error] = std::from_chars(p, end, value);
    if (error != std::errc())
        return false;
    p = next;
    return true;
}

bool readDouble(const char*& p, const char* end, double& value) {
    skipBlanks(p, end);
    if (p < end && *p == '+')
        ++p;
    const auto [next, error] = std::from_chars(p, end, value);
    if (error != std::errc() || !std::isfinite(value))
        return false;
    p = next;
    return true;
}

QString withSlash(QString path) {
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

} // namespace

QString regionalMapFile(int cdNumber) {
    if (cdNumber < 1 || cdNumber > static_cast<int>(RegionalMaps.size()))
        return QString();
    return QString::fromLatin1(RegionalMaps[static_cast<std::size_t>(cdNumber - 1)]);
}

std::optional<StartupData> parseStartupData(const QByteArray& text, QString* problem) {
    const auto invalid = [problem](const QString& what) -> std::optional<StartupData> {
        if (problem)
            *problem = what;
        return std::nullopt;
    };
    const char* p = text.constData();
    const char* end = p + text.size();
    StartupData data;
    if (!readInt(p, end, data.cdNumber))
        return invalid(QStringLiteral("Die CD-Nummer (erster Wert) fehlt oder ist keine ganze Zahl."));
    if (!readDouble(p, end, data.easting))
        return invalid(QStringLiteral("Der Rechtswert des Startpunkts (zweiter Wert) fehlt oder ist keine Zahl."));
    if (!readDouble(p, end, data.northing))
        return invalid(QStringLiteral("Der Hochwert des Startpunkts (dritter Wert) fehlt oder ist keine Zahl."));
    if (data.cdNumber < 1 || data.cdNumber > 5)
        return invalid(QStringLiteral("Die CD-Nummer %1 liegt nicht zwischen 1 und 5.").arg(data.cdNumber));
    return data;
}

std::optional<StartupData> readStartupData(const QString& root, QString* problem) {
    const QString expected = withSlash(root) + QStringLiteral("KARTEN/CD.TXT");
    const auto failed = [problem](const QString& file, const QString& what) -> std::optional<StartupData> {
        if (problem)
            *problem = QStringLiteral("Die Startdatei %1 %2").arg(QDir::toNativeSeparators(file), what);
        return std::nullopt;
    };
    const QString path = MediumPath::resolve(root, QStringLiteral("KARTEN/CD.TXT"));
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return failed(expected, QStringLiteral("fehlt."));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(path, QStringLiteral("kann nicht gelesen werden."));
    QString what;
    const std::optional<StartupData> data = parseStartupData(file.read(MaxStartupFileSize), &what);
    if (!data)
        return failed(path, QStringLiteral("ist ungültig:\n") + what);
    return data;
}

QString systemConfigDirectory() {
    QString dir = qEnvironmentVariable("VISTREL_SYSCONFDIR");
    if (dir.isEmpty())
        dir = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.config");
    return dir;
}

QString iniFilePath() {
    return withSlash(systemConfigDirectory()) + QStringLiteral("VISTREL.ini");
}

std::optional<QString> parseIniDrive(const QByteArray& text) {
    static const QByteArray Section = "[Extension]\n";
    static const QByteArray Key = "DataDrive=";
    bool inSection = false;
    qsizetype pos = 0;
    while (pos < text.size()) {
        // One piece as a fixed 512-byte line buffer would get it: up to and
        // including the line end, at most IniLineLimit characters.
        qsizetype lineEnd = text.indexOf('\n', pos);
        qsizetype pieceEnd = lineEnd < 0 ? text.size() : lineEnd + 1;
        if (pieceEnd - pos > IniLineLimit)
            pieceEnd = pos + IniLineLimit;
        QByteArray piece = text.mid(pos, pieceEnd - pos);
        pos = pieceEnd;
        // Files written on the other platform end their lines in CR LF, which
        // a text-mode read there would have turned into LF.
        if (piece.endsWith("\r\n"))
            piece.remove(piece.size() - 2, 1);
        if (!inSection) {
            inSection = piece == Section;
            continue;
        }
        if (!piece.startsWith(Key))
            continue;
        QByteArray value = piece.mid(Key.size());
        if (value.endsWith('\n'))
            value.chop(1);
        // The first key line wins, even an empty one (which names no medium).
        return QString::fromLocal8Bit(value);
    }
    return std::nullopt;
}

std::optional<QString> readIniDrive(const QString& iniFile) {
    QFile file(iniFile);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parseIniDrive(file.read(MaxStartupFileSize));
}

bool isAccepted(const QString& root) {
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return false;
    for (const char* name : RegionalMaps) {
        const QString path = MediumPath::resolve(root, QStringLiteral("KARTEN/") + QString::fromLatin1(name));
        if (path.isEmpty() || !QFileInfo(path).isFile())
            continue;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            return true;
    }
    return false;
}

SearchPlaces defaultSearchPlaces(const QString& commandLineRoot) {
    SearchPlaces places;
    places.commandLine = commandLineRoot;
    places.environment = qEnvironmentVariable("VISTREL_DATA");
    places.iniDrive = readIniDrive(iniFilePath());
    const QString user = qEnvironmentVariable("USER");
    if (!user.isEmpty()) {
        places.mountBases << QStringLiteral("/media/") + user << QStringLiteral("/run/media/") + user;
    }
    places.mountBases << QStringLiteral("/media") << QStringLiteral("/mnt");
    return places;
}

QStringList candidateRoots(const SearchPlaces& places) {
    QStringList roots;
    if (!places.commandLine.isEmpty())
        roots << places.commandLine;
    if (!places.environment.isEmpty())
        roots << places.environment;
    if (places.iniDrive && !places.iniDrive->isEmpty())
        roots << *places.iniDrive;
    for (const QString& base : places.mountBases) {
        const QDir dir(base);
        const QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& name : names)
            roots << dir.filePath(name);
    }
    return roots;
}

std::optional<QString> locate(const SearchPlaces& places, QWidget* parent, const QString& caption) {
    for (;;) {
        // Mount points are looked at afresh on every pass: the user may just
        // have inserted the medium.
        for (const QString& root : candidateRoots(places)) {
            if (isAccepted(root))
                return withSlash(QDir(root).absolutePath());
        }
        const Platform::MsgResult answer =
            Platform::dialogs().messageBox(parent, QStringLiteral("Bitte legen Sie eine der \"Vistrel\"-CD-ROMs ein!"),
                                           caption, Platform::MsgButtons::OkCancel, Platform::MsgIcon::Exclamation);
        if (answer != Platform::MsgResult::Ok)
            return std::nullopt;
    }
}

} // namespace DataMedium
