#include "XML_Error.h"

#include <string>

namespace {

const char* describe(char code) {
    switch (code) {
    case 'F':
        return "Schreiben in eine geschlossene Datei";
    case 'A':
        return "Attribut außerhalb eines offenen Start-Tags";
    case 'E':
        return "Ende ohne offenes Element";
    case '?':
        return "Attribut oder Ende ohne offenes Element";
    case '<':
        return "unerwartetes Zeichen nach \"<\"";
    case '>':
        return "\">\" fehlt";
    case '=':
        return "Attribut ohne \"=\"";
    case 'N':
        return "Attribut ohne Namen";
    case '"':
        return "Attributwert nicht in doppelten Anführungszeichen";
    case '&':
        return "unbekannte Entität";
    case 'S':
        return "End-Tag ohne offenes Element";
    case 'M':
        return "End-Tag passt nicht zum offenen Element";
    default:
        return "unbekannter Fehler";
    }
}

std::string message(char code) {
    return std::string("XML-Fehler '") + code + "': " + describe(code);
}

} // namespace

XML_Error::XML_Error(char code) : std::runtime_error(message(code)), m_code(code) {}

XML_EndOfInput::XML_EndOfInput() : std::runtime_error("XML-Fehler: unerwartetes Ende der Datei") {}
