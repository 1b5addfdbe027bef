// Feeds arbitrary bytes to the XML parser, twice:
// 1. into a state machine that keeps and ignores elements by name and asks
//    for every attribute value in every form, as the overlay reader does;
// 2. into a recorder; when that parse raised nothing, the recorded events are
//    written through the writer, the output is parsed again and must give the
//    same events and the same balance result.
// The chunk size varies with the input length so that chunk boundaries fall
// everywhere.
#include "CharBufferReader.h"
#include "XML_Error.h"
#include "XML_StreamTarget_StateMachine.h"
#include "XML_StreamWriter.h"
#include "XML_ToStreamParser.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

class Machine : public XML_StreamTarget_StateMachine {
public:
    int onBeginElement(int state, std::string_view name) override {
        // Keep elements whose name starts with a letter of the first half of
        // the alphabet, ignore the rest with their content.
        const unsigned char first = name.empty() ? 0 : static_cast<unsigned char>(name[0] | 0x20);
        return first >= 'a' && first <= 'm' ? state + 1 : 0;
    }
    void onAttribute(int, std::string_view name) override {
        m_sink += valueAsInt(-1) + static_cast<long>(valueAsDouble(0.0) != 0.0) + valueAsString().size() + name.size();
    }
    void onEndElement(int, int parent) override { m_sink += currentText().size() + static_cast<unsigned>(parent); }

private:
    std::size_t m_sink = 0;
};

struct Event {
    char kind; // '<' begin, '@' attribute, '#' text, '/' end
    std::string name;
    std::string value;
    bool operator==(const Event&) const = default;
};

class Recorder : public XML_StreamTarget {
public:
    std::vector<Event> events;

    void beginElement(std::string_view name) override { events.push_back({'<', std::string(name), {}}); }
    void attribute(std::string_view name) override { events.push_back({'@', std::string(name), valueAsString()}); }
    // The writer joins neighbouring texts (a processing instruction between
    // them is not written), so they are kept joined here.
    void text(std::string_view chars) override {
        if (!events.empty() && events.back().kind == '#')
            events.back().value.append(chars);
        else
            events.push_back({'#', {}, std::string(chars)});
    }
    void endElement() override { events.push_back({'/', {}, {}}); }
};

std::size_t chunkSizeFor(std::size_t size) {
    switch (size % 4) {
    case 0:
        return 1;
    case 1:
        return 3;
    case 2:
        return 64;
    default:
        return 32768;
    }
}

enum class Outcome { Balanced, Unbalanced, Error };

Outcome parse(const char* data, std::size_t size, XML_StreamTarget& target) {
    XML_ToStreamParser parser(std::make_unique<CharBufferReader::FromMemory>(data, size, chunkSizeFor(size)));
    try {
        return parser.parse(target) ? Outcome::Balanced : Outcome::Unbalanced;
    } catch (const XML_Error&) {
        return Outcome::Error;
    } catch (const XML_EndOfInput&) {
        return Outcome::Error;
    }
}

std::string write(const std::vector<Event>& events) {
    char* buffer = nullptr;
    std::size_t size = 0;
    {
        XML_StreamWriter writer(open_memstream(&buffer, &size));
        for (const Event& e : events) {
            switch (e.kind) {
            case '<':
                writer.beginElement(e.name);
                break;
            case '@':
                writer.writeAttribute(e.name, std::string_view(e.value));
                break;
            case '#':
                writer.text(e.value);
                break;
            default:
                writer.endElement();
            }
        }
        // An unbalanced stream may end inside a start tag, which the writer
        // leaves open; an empty text finishes it so the output reads back.
        writer.text({});
        writer.close(true);
    }
    std::string out(buffer, size);
    std::free(buffer);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);

    Machine machine;
    parse(bytes, size, machine);

    Recorder first;
    const Outcome outcome = parse(bytes, size, first);
    if (outcome == Outcome::Error)
        return 0;

    const std::string written = write(first.events);
    Recorder second;
    const Outcome again = parse(written.data(), written.size(), second);

    // The writer's declaration ends with a line break that comes back as text.
    std::vector<Event> expected;
    expected.push_back({'#', {}, "\n"});
    for (const Event& e : first.events) {
        if (e.kind == '#' && expected.back().kind == '#')
            expected.back().value += e.value;
        else
            expected.push_back(e);
    }
    if (again != outcome || second.events != expected) {
        std::fprintf(stderr, "writer/parser round trip differs\n");
        std::abort();
    }
    return 0;
}
