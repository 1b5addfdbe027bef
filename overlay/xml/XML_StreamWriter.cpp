#include "XML_StreamWriter.h"

#include "XML_Error.h"

namespace {

// Exactly 44 characters; the line break ends the first line.
constexpr std::string_view Declaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\n";

std::string_view escapeOf(char c) {
    switch (c) {
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '&':
        return "&amp;";
    case '\'':
        return "&apos;";
    case '"':
        return "&quot;";
    default:
        return {};
    }
}

} // namespace

XML_StreamWriter::XML_StreamWriter(std::FILE* file) : m_file(file) {
    if (m_file)
        put(Declaration);
    else
        m_writeFailed = true; // nothing can be saved without a file
}

XML_StreamWriter::~XML_StreamWriter() {
    if (m_file)
        std::fclose(m_file);
}

void XML_StreamWriter::requireOpen() const {
    if (!m_file)
        throw XML_Error('F');
}

void XML_StreamWriter::put(std::string_view bytes) {
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
        m_writeFailed = true;
}

void XML_StreamWriter::putEscaped(std::string_view bytes) {
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::string_view escape = escapeOf(bytes[i]);
        if (escape.empty())
            continue;
        put(bytes.substr(runStart, i - runStart));
        put(escape);
        runStart = i + 1;
    }
    put(bytes.substr(runStart));
}

void XML_StreamWriter::beginElement(std::string_view name) {
    requireOpen();
    if (m_startTagOpen)
        put(">");
    put("<");
    put(name);
    m_openElements.emplace_back(name);
    m_startTagOpen = true;
}

void XML_StreamWriter::attribute(std::string_view name) {
    requireOpen();
    if (!m_startTagOpen)
        throw XML_Error('A');
    put(" ");
    put(name);
    put("=\"");
    putEscaped(valueAsString());
    put("\"");
}

void XML_StreamWriter::text(std::string_view chars) {
    requireOpen();
    if (m_startTagOpen) {
        put(">");
        m_startTagOpen = false;
    }
    putEscaped(chars);
}

void XML_StreamWriter::endElement() {
    requireOpen();
    if (m_openElements.empty())
        throw XML_Error('E');
    if (m_startTagOpen) {
        put("/>");
        m_startTagOpen = false;
    } else {
        put("</");
        put(m_openElements.back());
        put(">");
    }
    m_openElements.pop_back();
}

bool XML_StreamWriter::close(bool checkBalanced) {
    if (m_file) {
        if (std::ferror(m_file))
            m_writeFailed = true;
        if (std::fclose(m_file) != 0)
            m_writeFailed = true;
        m_file = nullptr;
    }
    return checkBalanced && m_openElements.empty() && !m_writeFailed;
}
