#include "OverlayFileTypes.h"

#include "CharBufferReader.h"
#include "Cp1252.h"
#include "GpxFormat.h"
#include "PlatformDialogs.h"
#include "XML_StreamWriter.h"
#include "XML_ToStreamParser.h"

#include <QFile>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <sys/types.h>

namespace Modul::UserDraw::FileTypes {

namespace {

constexpr std::size_t ReadChunk = 32768;

std::FILE* openForReading(const QString& fileName) {
    return std::fopen(QFile::encodeName(fileName).constData(), "r");
}

// GPX files are written in UTF-8: other GPX readers commonly decode every
// file as UTF-8 whatever its declaration says. The writer produces Windows-1252
// bytes under an ISO-8859-1 declaration; this stream between writer and file
// turns the declaration's coding into UTF-8 and each byte above 0x7F into its
// UTF-8 sequence. Failures of the file are passed on, so a short write still
// fails the save.
struct Utf8Stream {
    std::FILE* file;
    std::string declaration; // the first line until it is complete
    bool declarationDone = false;
    std::string buffer;
};

bool putAll(std::FILE* file, const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

ssize_t utf8Write(void* cookie, const char* data, size_t size) {
    auto* s = static_cast<Utf8Stream*>(cookie);
    size_t i = 0;
    if (!s->declarationDone) {
        while (i < size && !s->declarationDone) {
            s->declaration.push_back(data[i]);
            s->declarationDone = data[i++] == '\n';
        }
        if (!s->declarationDone)
            return ssize_t(size);
        const std::string from = "encoding=\"ISO-8859-1\"";
        const std::size_t at = s->declaration.find(from);
        if (at != std::string::npos)
            s->declaration.replace(at, from.size(), "encoding=\"UTF-8\"");
        if (!putAll(s->file, s->declaration))
            return -1;
    }
    s->buffer.clear();
    for (; i < size; ++i) {
        const unsigned char byte = static_cast<unsigned char>(data[i]);
        if (byte < 0x80) {
            s->buffer.push_back(char(byte));
            continue;
        }
        const char16_t ch = Cp1252::decodeByte(byte);
        if (ch < 0x800) {
            s->buffer.push_back(char(0xC0 | (ch >> 6)));
            s->buffer.push_back(char(0x80 | (ch & 0x3F)));
        } else {
            s->buffer.push_back(char(0xE0 | (ch >> 12)));
            s->buffer.push_back(char(0x80 | ((ch >> 6) & 0x3F)));
            s->buffer.push_back(char(0x80 | (ch & 0x3F)));
        }
    }
    return putAll(s->file, s->buffer) ? ssize_t(size) : -1;
}

int utf8Close(void* cookie) {
    auto* s = static_cast<Utf8Stream*>(cookie);
    bool ok = s->declarationDone || s->declaration.empty() || putAll(s->file, s->declaration);
    ok = std::fclose(s->file) == 0 && ok;
    delete s;
    return ok ? 0 : EOF;
}

std::FILE* utf8Stream(std::FILE* file) {
    auto* s = new Utf8Stream{file, {}, false, {}};
    cookie_io_functions_t functions{};
    functions.write = utf8Write;
    functions.close = utf8Close;
    std::FILE* stream = fopencookie(s, "w", functions);
    if (!stream) {
        std::fclose(file);
        delete s;
    }
    return stream;
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
    if (file)
        file = utf8Stream(file);
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
