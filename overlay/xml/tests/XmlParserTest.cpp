#include "EventRecorder.h"
#include "XML_StreamWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <type_traits>

namespace {

using Events = std::vector<std::string>;

Events eventsOf(const std::string& doc, std::size_t chunk = 32768, bool* result = nullptr) {
    EventRecorder r;
    const bool ok = parseInto(doc, r, chunk);
    if (result)
        *result = ok;
    EXPECT_EQ(r.startCount, 1);
    return r.events;
}

// Lets a test see that the parser destroys its reader.
class TrackedReader : public CharBufferReader::FromMemory {
public:
    TrackedReader(const std::string& s, bool& destroyed) : FromMemory(s.data(), s.size(), 4), m_destroyed(destroyed) {}
    ~TrackedReader() override { m_destroyed = true; }

private:
    bool& m_destroyed;
};

} // namespace

TEST(XmlParser, DeliversTheEventsOfADocument) {
    bool ok = false;
    const Events events = eventsOf("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\n"
                                   "<Quenvo Type=\"Overlay\">\r\n\t<Point X = \"1.5\"\tY=\"-2\" />"
                                   "<Text>a&lt;b&gt;c&amp;&apos;&quot;</Text ></Quenvo>",
                                   32768, &ok);
    EXPECT_TRUE(ok);
    const Events expected = {"#\n", "<Quenvo", "@Type=Overlay", "#\r\n\t", "<Point", "@X=1.5",  "@Y=-2",
                             "/",   "<Text",   "#a<b>c&'\"",    "/",       "/",      "close(1)"};
    EXPECT_EQ(events, expected);

    // An empty element with one attribute: begin, attribute, end, and nothing
    // stays open.
    EXPECT_EQ(eventsOf("<a x=\"&amp;\"/>", 32768, &ok), (Events{"<a", "@x=&", "/", "close(1)"}));
    EXPECT_TRUE(ok);
    // No root check, no uniqueness check for attributes.
    EXPECT_EQ(eventsOf("<a k=\"1\" k=\"2\"/><b/>", 32768, &ok),
              (Events{"<a", "@k=1", "@k=2", "/", "<b", "/", "close(1)"}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(eventsOf("", 32768, &ok), (Events{"close(1)"}));
    EXPECT_TRUE(ok);
}

TEST(XmlParser, ByteFFAndOtherHighBytesAreOrdinaryCharacters) {
    bool ok = false;
    EXPECT_EQ(eventsOf("<a v=\"\xFF\xE4\x80\">\xFF\xFF<b\xFC/></a>", 32768, &ok),
              (Events{"<a", "@v=\xFF\xE4\x80", "#\xFF\xFF", "<b\xFC", "/", "/", "close(1)"}));
    EXPECT_TRUE(ok);
    // Names end only at blanks, '/', '>' and '=', so "a\xFF" is another name than "a".
    EXPECT_EQ(parseErrorOf("<a>\xFF</a\xFF>"), 'M');
    // A single 0xFF is data, never taken for the end of the input.
    EXPECT_EQ(eventsOf("\xFF", 1, &ok), (Events{"#\xFF", "close(1)"}));
}

TEST(XmlParser, UnbalancedDocumentsReturnFalse) {
    bool ok = true;
    // The last line lacks the final end tag.
    const Events events = eventsOf("<gpx>\n<trk>\n</trk>\n", 32768, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(events.back(), "close(0)");

    // A target that refuses the balanced stream decides the result.
    class Refusing : public XML_StreamTarget {
        bool close(bool) override { return false; }
    } refusing;
    EXPECT_FALSE(parseInto("<a/>", refusing));
}

TEST(XmlParser, EverySyntaxErrorHasItsCode) {
    struct Case {
        const char* legend;
        const char* doc;
        char code; // 'e' for the end-of-input error
    };
    const Case cases[] = {
        {"comment", "<a><!-- c --></a>", '<'},
        {"comment before the root", "<!-- c --><a/>", '<'},
        {"DOCTYPE", "<!DOCTYPE a><a/>", '<'},
        {"CDATA", "<a><![CDATA[x]]></a>", '<'},
        {"tag starting with a digit", "<1/>", '<'},
        {"blank after <", "< a/>", '<'},
        {"slash not followed by >", "<a/ >", '>'},
        {"slash at the end", "<a/", '>'},
        {"end tag with a second word", "<a></a b>", '>'},
        {"attribute without =", "<a b>", '='},
        {"attribute without = before slash", "<a b/>", '='},
        {"empty attribute name", "<a =\"1\">", 'N'},
        {"single-quoted value", "<a b='1'/>", '"'},
        {"unquoted value", "<a b=1/>", '"'},
        {"unknown entity in text", "<a>&nbsp;</a>", '&'},
        {"numeric reference", "<a>&#65;</a>", '&'},
        {"hex reference in a value", "<a b=\"&#x41;\"/>", '&'},
        {"long unknown entity", "<a>&verylongentityname;</a>", '&'},
        {"entity without name", "<a>&;</a>", '&'},
        {"end tag first", "</a>", 'S'},
        {"end tag after the root", "<a></a></a>", 'S'},
        {"mismatched end tag", "<a><b></a></b>", 'M'},
        {"end tag with empty name", "<a></>", 'M'},
        {"end inside a start tag", "<a", 'e'},
        {"end inside an attribute value", "<a b=\"1", 'e'},
        {"end after an attribute value", "<a b=\"1\"", 'e'},
        {"end after =", "<a b=", 'e'},
        {"end inside an end tag", "<a></a", 'e'},
        {"end after <", "<a>text<", 'e'},
        {"end inside an entity", "<a>&amp", 'e'},
        {"end inside the declaration", "<?xml version=\"1.0\"", 'e'},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseErrorOf(c.doc), c.code) << c.legend;
        EXPECT_EQ(parseErrorOf(c.doc, 1), c.code) << c.legend << " (one byte per chunk)";
    }
    // The end of input is its own error, not one of the codes.
    static_assert(!std::is_base_of_v<XML_Error, XML_EndOfInput>);
    EXPECT_THROW(parseInto("<a b=\"", *std::make_unique<EventRecorder>()), XML_EndOfInput);
}

TEST(XmlParser, ChunkBoundariesMayFallAnywhere) {
    // Boundaries inside tags, names, attribute values, entities, blanks and
    // the declaration: every chunk size gives the events of one big chunk.
    const std::string fine = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\n"
                             "<gpx version=\"1.0\" creator=\"a&amp;b &quot;c&quot;\">\n"
                             "  <wpt lat = \"47.500000\"  lon=\"8.250000\"><name>Br\xFC&lt;ck&apos;</name>"
                             "<sym/><desc  x=\"&gt;\" /></wpt >\n"
                             "</gpx>\n";
    bool ok = false;
    const Events reference = eventsOf(fine, 32768, &ok);
    EXPECT_TRUE(ok);
    ASSERT_GE(reference.size(), 10u);
    for (std::size_t chunk = 1; chunk <= 17; ++chunk) {
        EXPECT_EQ(eventsOf(fine, chunk, &ok), reference) << "chunk " << chunk;
        EXPECT_TRUE(ok);
    }
}

TEST(XmlParser, ReadsBackWhatTheWriterWrote) {
    std::string allBytes; // every byte but NUL, the five markup characters among them
    for (int b = 1; b < 256; ++b)
        allBytes.push_back(static_cast<char>(b));
    const std::string escaped = "<>&'\" &amp; &lt;";

    char* buffer = nullptr;
    std::size_t size = 0;
    {
        XML_StreamWriter w(open_memstream(&buffer, &size));
        w.beginElement("root");
        w.writeAttribute("all", allBytes);
        w.writeAttribute("esc", escaped);
        w.writeAttribute("n", -5);
        w.writeAttribute("d", 0.125);
        w.text(allBytes);
        w.beginElement("empty");
        w.endElement();
        w.beginElement("leaf");
        w.text(escaped);
        w.endElement();
        w.endElement();
        EXPECT_TRUE(w.close(true));
    }
    const std::string doc(buffer, size);
    std::free(buffer);

    const Events expected = {"#\n",   "<root",       "@all=" + allBytes, "@esc=" + escaped,
                             "@n=-5", "@d=0.125000", "#" + allBytes,     "<empty",
                             "/",     "<leaf",       "#" + escaped,      "/",
                             "/",     "close(1)"};
    for (std::size_t chunk : {std::size_t(1), std::size_t(3), std::size_t(32768)}) {
        bool ok = false;
        EXPECT_EQ(eventsOf(doc, chunk, &ok), expected) << "chunk " << chunk;
        EXPECT_TRUE(ok);
    }
}

TEST(XmlParser, OwnsItsReader) {
    bool destroyed = false;
    const std::string doc = "<a/>";
    {
        XML_ToStreamParser parser(std::make_unique<TrackedReader>(doc, destroyed));
        EventRecorder r;
        EXPECT_TRUE(parser.parse(r));
        EXPECT_FALSE(destroyed);
    }
    EXPECT_TRUE(destroyed);
}
