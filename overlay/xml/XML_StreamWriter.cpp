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
    if (bytes.empty())
        return;
#ifdef __GLIBC__
    // The writer is the only user of its stream: the lock fwrite takes per
    // call would be pure overhead.
    if (fwrite_unlocked(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
        m_writeFailed = true;
#else
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
        m_writeFailed = true;
#endif
}

// Each event is assembled in m_piece and handed to the stream in one call; a
// document consists of many pieces of a few bytes.
void XML_StreamWriter::appendEscaped(std::string_view bytes) {
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::string_view escape = escapeOf(bytes[i]);
        if (escape.empty())
            continue;
        m_piece.append(bytes.data() + runStart, i - runStart);
        m_piece.append(escape);
        runStart = i + 1;
    }
    m_piece.append(bytes.data() + runStart, bytes.size() - runStart);
}

void XML_StreamWriter::beginElement(std::string_view name) {
    requireOpen();
    m_piece.clear();
    if (m_startTagOpen)
        m_piece += '>';
    m_piece += '<';
    m_piece.append(name);
    put(m_piece);
    m_openElements.emplace_back(name);
    m_startTagOpen = true;
}

void XML_StreamWriter::attribute(std::string_view name) {
    requireOpen();
    if (!m_startTagOpen)
        throw XML_Error('A');
    m_piece.assign(1, ' ');
    m_piece.append(name);
    m_piece += "=\"";
    appendEscaped(valueAsString());
    m_piece += '"';
    put(m_piece);
}

void XML_StreamWriter::text(std::string_view chars) {
    requireOpen();
    m_piece.clear();
    if (m_startTagOpen) {
        m_piece += '>';
        m_startTagOpen = false;
    }
    appendEscaped(chars);
    put(m_piece);
}

void XML_StreamWriter::endElement() {
    requireOpen();
    if (m_openElements.empty())
        throw XML_Error('E');
    if (m_startTagOpen) {
        put("/>");
        m_startTagOpen = false;
    } else {
        m_piece.assign("</");
        m_piece.append(m_openElements.back());
        m_piece += '>';
        put(m_piece);
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
