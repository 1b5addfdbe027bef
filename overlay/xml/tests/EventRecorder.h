#pragma once

#include "CharBufferReader.h"
#include "XML_Error.h"
#include "XML_StreamTarget.h"
#include "XML_ToStreamParser.h"

#include <memory>
#include <string>
#include <vector>

// Records every event as one line: "<name", "@name=value", "#text", "/", and
// "close(0|1)", so tests can compare whole streams.
class EventRecorder : public XML_StreamTarget {
public:
    std::vector<std::string> events;
    int startCount = 0;

    void startDocument() override { ++startCount; }
    void beginElement(std::string_view name) override { events.push_back("<" + std::string(name)); }
    void attribute(std::string_view name) override {
        events.push_back("@" + std::string(name) + "=" + valueAsString());
    }
    void text(std::string_view chars) override { events.push_back("#" + std::string(chars)); }
    void endElement() override { events.push_back("/"); }
    bool close(bool checkBalanced) override {
        events.push_back(checkBalanced ? "close(1)" : "close(0)");
        return checkBalanced;
    }
};

inline std::unique_ptr<CharBufferReader::Abstract> memoryReader(const std::string& bytes, std::size_t chunk = 32768) {
    return std::make_unique<CharBufferReader::FromMemory>(bytes.data(), bytes.size(), chunk);
}

// Parses `doc` into `target`, handing the input in chunks of `chunk` bytes.
inline bool parseInto(const std::string& doc, XML_StreamTarget& target, std::size_t chunk = 32768) {
    XML_ToStreamParser parser(memoryReader(doc, chunk));
    return parser.parse(target);
}

// The code of the XML_Error raised by parsing `doc`, 'e' for the end-of-input
// error, 0 when nothing was raised.
inline char parseErrorOf(const std::string& doc, std::size_t chunk = 32768) {
    EventRecorder target;
    try {
        parseInto(doc, target, chunk);
    } catch (const XML_Error& e) {
        return e.code();
    } catch (const XML_EndOfInput&) {
        return 'e';
    }
    return 0;
}
