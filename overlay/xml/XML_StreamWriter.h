#pragma once

#include "XML_StreamTarget.h"

#include <cstdio>
#include <string>
#include <vector>

// Writes the event stream to a file as compact XML: the declaration on the
// first line, then markup without line breaks or indentation (character data
// keeps its own). Names are written as given; text and attribute values are
// escaped byte by byte and otherwise kept as Windows-1252 bytes, which is
// what the declaration's ISO-8859-1 stands for in our files.
//
// Usage errors raise XML_Error: 'F' after close, 'A' for an attribute when no
// start tag is open, 'E' for an end without an open element.
class XML_StreamWriter : public XML_StreamTarget {
public:
    // Takes ownership of `file` (opened for writing by the caller) and writes
    // the declaration at once. A null file gives a writer that is closed from
    // the start.
    explicit XML_StreamWriter(std::FILE* file);
    ~XML_StreamWriter() override;

    void attribute(std::string_view name) override;
    void beginElement(std::string_view name) override;
    void text(std::string_view chars) override;
    void endElement() override;
    // Closes the file. True only if checkBalanced is set, no element is left
    // open and every byte reached the file (a full disk is a failed save, not
    // a successful one). A second call only reports.
    bool close(bool checkBalanced) override;

    bool isOpen() const { return m_file != nullptr; }

private:
    void requireOpen() const;
    void put(std::string_view bytes);
    void appendEscaped(std::string_view bytes);

    std::FILE* m_file;
    std::vector<std::string> m_openElements;
    bool m_startTagOpen = false;
    bool m_writeFailed = false;
    std::string m_piece;
};
