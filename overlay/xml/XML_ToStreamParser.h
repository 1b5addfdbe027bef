#pragma once

#include "CharBufferReader.h"
#include "XML_StreamTarget.h"

#include <memory>
#include <string>
#include <vector>

// Reads XML from a CharBufferReader and drives a target with the same events
// a producer would push: beginElement, attribute (value as a string), text,
// endElement, then close. No document tree is built; memory grows only with
// the depth of nesting and the length of the longest run of text.
//
// Accepted: start, end and empty-element tags, double-quoted attribute
// values, the five named entities, and processing instructions (skipped, the
// declaration among them). Comments, DOCTYPE, CDATA sections, single quotes
// and numeric character references are syntax errors (XML_Error with its
// code); running out of input inside markup or an entity raises
// XML_EndOfInput. A document that ends with elements still open is no error:
// parse returns false.
class XML_ToStreamParser {
public:
    // A character value distinct from every byte 0..255.
    static constexpr int EndOfInput = -1;

    explicit XML_ToStreamParser(std::unique_ptr<CharBufferReader::Abstract> reader);
    XML_ToStreamParser(const XML_ToStreamParser&) = delete;
    XML_ToStreamParser& operator=(const XML_ToStreamParser&) = delete;
    // Destroys the reader, and with it a file the reader owns.
    virtual ~XML_ToStreamParser();

    // Parses the whole input into `target`. True when every element was
    // closed and the target's close(true) agreed.
    bool parse(XML_StreamTarget& target);

protected:
    // Character data starting with `firstChar` up to the next '<' or the end
    // of input, delivered as one text event; returns that '<' or EndOfInput.
    virtual int parseText(int firstChar);

    XML_StreamTarget& target() { return *m_target; }

    // The next byte (0..255) or EndOfInput.
    int nextChar() {
        if (m_left != 0) {
            --m_left;
            return static_cast<unsigned char>(*m_chunk++);
        }
        return nextChunkChar();
    }
    // As nextChar, but the end of input raises XML_EndOfInput.
    int nextCharOrThrow();
    // `c` itself, or the character of the entity reference it begins.
    int decodeEntity(int c);
    int skipSpace(int c);
    // Appends name characters starting with `c`; returns the first character
    // after the name and any following white space.
    int readName(int c, std::string& name);

private:
    int nextChunkChar();
    void parseTag();
    void parseStartTag(int c);
    void parseEndTag();
    int parseAttribute(int c);
    // Moves the run of chunk bytes before the first of `stop1`/`stop2` into `out`.
    void takeRun(std::string& out, char stop1, char stop2);

    std::unique_ptr<CharBufferReader::Abstract> m_reader;
    const char* m_chunk = nullptr;
    std::size_t m_left = 0;
    bool m_inputEnded = false;
    XML_StreamTarget* m_target = nullptr;
    std::vector<std::string> m_openElements;

    // Reused buffers, so that a long document does not allocate per event.
    std::string m_text;
    std::string m_name;
    std::string m_value;
};
