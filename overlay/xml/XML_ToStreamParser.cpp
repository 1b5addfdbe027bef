#include "XML_ToStreamParser.h"

#include "XML_Error.h"

#include <cstring>
#include <string_view>

namespace {

bool isSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool endsName(int c) {
    return isSpace(c) || c == '/' || c == '>' || c == '=';
}

bool isLetter(int c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

XML_ToStreamParser::XML_ToStreamParser(std::unique_ptr<CharBufferReader::Abstract> reader)
    : m_reader(std::move(reader)) {}

XML_ToStreamParser::~XML_ToStreamParser() = default;

int XML_ToStreamParser::nextChunkChar() {
    if (m_inputEnded || !m_reader) {
        m_inputEnded = true;
        return EndOfInput;
    }
    const char* pointer = nullptr;
    std::size_t count = 0;
    m_reader->fill(pointer, count);
    // Either half of "null pointer, count 0" ends the input: a reader that
    // keeps handing empty chunks must not keep the parser spinning.
    if (!pointer || count == 0) {
        m_inputEnded = true;
        m_chunk = nullptr;
        m_left = 0;
        return EndOfInput;
    }
    m_chunk = pointer + 1;
    m_left = count - 1;
    return static_cast<unsigned char>(*pointer);
}

int XML_ToStreamParser::nextCharOrThrow() {
    const int c = nextChar();
    if (c == EndOfInput)
        throw XML_EndOfInput();
    return c;
}

int XML_ToStreamParser::skipSpace(int c) {
    while (isSpace(c))
        c = nextCharOrThrow();
    return c;
}

void XML_ToStreamParser::takeRun(std::string& out, char stop1, char stop2) {
    const char* p = m_chunk;
    const char* end = m_chunk + m_left;
    while (p != end && *p != stop1 && *p != stop2)
        ++p;
    out.append(m_chunk, p);
    m_left -= static_cast<std::size_t>(p - m_chunk);
    m_chunk = p;
}

int XML_ToStreamParser::readName(int c, std::string& name) {
    if (c == EndOfInput)
        throw XML_EndOfInput();
    while (!endsName(c)) {
        name.push_back(static_cast<char>(c));
        c = nextCharOrThrow();
    }
    return skipSpace(c);
}

int XML_ToStreamParser::decodeEntity(int c) {
    if (c != '&')
        return c;
    // The longest known reference is "&apos"; a longer one is read to its ';'
    // like any other but not kept, so a missing ';' costs no memory.
    char entity[6];
    std::size_t length = 0;
    bool tooLong = false;
    entity[length++] = '&';
    for (c = nextCharOrThrow(); c != ';'; c = nextCharOrThrow()) {
        if (length < sizeof entity)
            entity[length++] = static_cast<char>(c);
        else
            tooLong = true;
    }
    if (!tooLong) {
        const std::string_view name(entity, length);
        if (name == "&lt")
            return '<';
        if (name == "&gt")
            return '>';
        if (name == "&amp")
            return '&';
        if (name == "&apos")
            return '\'';
        if (name == "&quot")
            return '"';
    }
    throw XML_Error('&');
}

bool XML_ToStreamParser::parse(XML_StreamTarget& target) {
    m_target = &target;
    m_openElements.clear();
    target.startDocument();
    int c = nextChar();
    while (c != EndOfInput) {
        if (c == '<') {
            parseTag();
            c = nextChar();
        } else {
            c = parseText(c);
        }
    }
    if (m_openElements.empty())
        return target.close(true);
    target.close(false);
    return false;
}

int XML_ToStreamParser::parseText(int c) {
    m_text.clear();
    while (c != EndOfInput && c != '<') {
        m_text.push_back(static_cast<char>(decodeEntity(c)));
        takeRun(m_text, '<', '&');
        c = nextChar();
    }
    m_target->text(m_text);
    return c;
}

void XML_ToStreamParser::parseTag() {
    int c = nextCharOrThrow();
    if (isLetter(c)) {
        parseStartTag(c);
    } else if (c == '/') {
        parseEndTag();
    } else if (c == '?') {
        // The declaration and any processing instruction, without an event.
        while (nextCharOrThrow() != '>') {
        }
    } else {
        throw XML_Error('<');
    }
}

void XML_ToStreamParser::parseStartTag(int c) {
    m_name.clear();
    c = readName(c, m_name);
    m_target->beginElement(m_name);
    // The attributes reuse m_name, so keep the element's own name aside.
    std::string elementName = m_name;
    while (c != '/' && c != '>') {
        c = skipSpace(parseAttribute(c));
        if (c == EndOfInput)
            throw XML_EndOfInput();
    }
    if (c == '>') {
        m_openElements.push_back(std::move(elementName));
    } else {
        m_target->endElement();
        c = nextChar();
    }
    if (c != '>')
        throw XML_Error('>');
}

int XML_ToStreamParser::parseAttribute(int c) {
    m_name.clear();
    c = readName(c, m_name);
    if (c != '=')
        throw XML_Error('=');
    if (m_name.empty())
        throw XML_Error('N');
    c = skipSpace(nextCharOrThrow());
    if (c != '"')
        throw XML_Error('"');
    m_value.clear();
    for (c = nextCharOrThrow(); c != '"'; c = nextCharOrThrow()) {
        m_value.push_back(static_cast<char>(decodeEntity(c)));
        takeRun(m_value, '"', '&');
    }
    c = nextChar();
    m_target->writeAttribute(m_name, std::string_view(m_value));
    return c;
}

void XML_ToStreamParser::parseEndTag() {
    if (m_openElements.empty())
        throw XML_Error('S');
    m_name.clear();
    const int c = readName(nextCharOrThrow(), m_name);
    if (c != '>')
        throw XML_Error('>');
    if (m_name != m_openElements.back())
        throw XML_Error('M');
    m_target->endElement();
    m_openElements.pop_back();
}
