#include "OverlayFileTypes.h"

#include "CharBufferReader.h"
#include "GpxFormat.h"
#include "PlatformDialogs.h"
#include "XML_StreamWriter.h"
#include "XML_ToStreamParser.h"

#include <QFile>

#include <algorithm>
#include <cctype>
#include <string>

namespace Modul::UserDraw::FileTypes {

namespace {

constexpr std::size_t ReadChunk = 32768;

std::FILE* openForReading(const QString& fileName) {
    return std::fopen(QFile::encodeName(fileName).constData(), "r");
}

bool parseFile(std::FILE* file, XML_StreamTarget& target) {
    XML_ToStreamParser parser(std::make_unique<CharBufferReader::FromFILE>(file, ReadChunk, true));
    return parser.parse(target);
}

} // namespace

bool declaresUtf8(std::FILE* file) {
    char head[256];
    const std::size_t count = std::fread(head, 1, sizeof head, file);
    std::rewind(file);
    std::string text(head, count);
    if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return true;
    const std::size_t start = text.find("<?xml");
    if (start == std::string::npos)
        return true;
    const std::size_t end = text.find("?>", start);
    std::string declaration = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::transform(declaration.begin(), declaration.end(), declaration.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    const std::size_t encoding = declaration.find("encoding");
    if (encoding == std::string::npos)
        return true;
    const std::size_t quote = declaration.find_first_of("\"'", encoding);
    if (quote == std::string::npos)
        return true;
    return declaration.compare(quote + 1, 5, "utf-8") == 0 || declaration.compare(quote + 1, 4, "utf8") == 0;
}

SaveQVO::SaveQVO() : FileSaver(QStringLiteral("qvo")) {}

QString SaveQVO::filter() const {
    return QStringLiteral("Quenvo - Overlay (*.qvo)|*.qvo");
}

std::unique_ptr<XML_StreamTarget> SaveQVO::open(const QString& fileName) {
    std::FILE* file = openReplacement(fileName);
    if (!file)
        return nullptr;
    return std::make_unique<XML_StreamWriter>(file);
}

SaveGPX::SaveGPX() : FileSaver(QStringLiteral("gpx")) {}

QString SaveGPX::filter() const {
    return QStringLiteral("GPS-Austauschdatei (*.gpx)|*.gpx");
}

bool SaveGPX::confirm(QWidget* parent) const {
    const QString question = QStringLiteral(
        "Das GPX-Format enthält nicht alle\nInformationen der Zeichnungselemente\nund sollte deshalb nur zum "
        "Datenaustausch\nmit anderen Anwendungen verwendet werden.\n\nFür die Verwendung in diesem Programm\n"
        "sollten Zeichnungselemente im QVO-Format\ngespeichert werden.\n\nWollen Sie trotzdem im GPX-Format "
        "speichern?");
    return Platform::dialogs().messageBox(parent, question, QStringLiteral("Speichern im GPX-Format"),
                                          Platform::MsgButtons::YesNo,
                                          Platform::MsgIcon::Error) == Platform::MsgResult::Yes;
}

std::unique_ptr<XML_StreamTarget> SaveGPX::open(const QString& fileName) {
    std::FILE* file = openReplacement(fileName);
    if (!file)
        return nullptr;
    return std::make_unique<::UserDraw::ConverterQVOtoGPX>(std::make_unique<XML_StreamWriter>(file));
}

LoadQVO::LoadQVO() : FileLoader(QStringLiteral("qvo")) {}

QString LoadQVO::filter() const {
    return QStringLiteral("Quenvo - Overlays (*.qvo)|*.qvo");
}

bool LoadQVO::load(const QString& fileName, XML_StreamTarget& treeTarget) {
    std::FILE* file = openForReading(fileName);
    if (!file)
        return false;
    return parseFile(file, treeTarget);
}

LoadGPX::LoadGPX() : FileLoader(QStringLiteral("gpx")) {}

QString LoadGPX::filter() const {
    return QStringLiteral("GPS - Austauschformat (*.gpx)|*.gpx");
}

bool LoadGPX::load(const QString& fileName, XML_StreamTarget& treeTarget) {
    std::FILE* file = openForReading(fileName);
    if (!file)
        return false;
    ::UserDraw::GPX::ParserTarget importTarget(treeTarget);
    importTarget.setUtf8Names(declaresUtf8(file));
    return parseFile(file, importTarget);
}

} // namespace Modul::UserDraw::FileTypes

namespace UserDraw::FileTypes {

void registerStandardFormats() {
    namespace Types = Modul::UserDraw::FileTypes;
    if (loaders().empty()) {
        addLoader(std::make_unique<Types::LoadGPX>());
        addLoader(std::make_unique<Types::LoadQVO>());
    }
    if (savers().empty()) {
        addSaver(std::make_unique<Types::SaveGPX>());
        addSaver(std::make_unique<Types::SaveQVO>());
    }
}

} // namespace UserDraw::FileTypes
