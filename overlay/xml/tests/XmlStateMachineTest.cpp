#include "EventRecorder.h"
#include "XML_StreamTarget_StateMachine.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Gives each known element name its state (unknown names 0) and logs every
// callback with the text current at the end of an element.
class Machine : public XML_StreamTarget_StateMachine {
public:
    std::map<std::string, int, std::less<>> states{{"root", 1}, {"item", 2}, {"name", 3}, {"skip", 0}};
    std::vector<std::string> log;

    int onBeginElement(int state, std::string_view name) override {
        const auto it = states.find(name);
        const int s = it == states.end() ? 0 : it->second;
        log.push_back("begin " + std::string(name) + " in " + std::to_string(state) + " -> " + std::to_string(s));
        return s;
    }
    void onAttribute(int state, std::string_view name) override {
        log.push_back("attr " + std::string(name) + "=" + valueAsString() + " in " + std::to_string(state));
    }
    void onEndElement(int state, int parent) override {
        log.push_back("end " + std::to_string(state) + " to " + std::to_string(parent) + " text '" + currentText() +
                      "'");
    }
};

} // namespace

TEST(XmlStateMachine, IgnoredElementsHideTheirWholeSubtree) {
    Machine m;
    const std::string doc = "<?xml version=\"1.0\"?>\n"
                            "<root v=\"1\"><skip a=\"x\"><item b=\"y\"><name>hidden</name></item></skip>"
                            "<item n=\"2\"><name>Berg</name></item></root>";
    EXPECT_TRUE(parseInto(doc, m));
    const std::vector<std::string> expected = {
        "begin root in 0 -> 1",
        "attr v=1 in 1",
        "begin skip in 1 -> 0",
        // nothing of skip's content reaches the derived reader
        "begin item in 1 -> 2",
        "attr n=2 in 2",
        "begin name in 2 -> 3",
        "end 3 to 2 text 'Berg'",
        "end 2 to 1 text ''",
        "end 1 to 0 text ''",
    };
    EXPECT_EQ(m.log, expected);
    EXPECT_EQ(m.depth(), 0u);
}

TEST(XmlStateMachine, CurrentTextIsTheDataAfterTheMostRecentTag) {
    Machine m;
    // Text after the last child counts for the parent; text split by a
    // processing instruction is joined; text before the root is harmless.
    EXPECT_TRUE(parseInto("\n<root>lead<name>a &amp; b</name>tail<?pi x?> end</root>\n", m));
    ASSERT_EQ(m.log.size(), 4u);
    EXPECT_EQ(m.log[2], "end 3 to 1 text 'a & b'");
    EXPECT_EQ(m.log[3], "end 1 to 0 text 'tail end'");

    // An empty leaf yields nothing, not the text before it.
    Machine e;
    EXPECT_TRUE(parseInto("<root>before<name/></root>", e));
    EXPECT_EQ(e.log[2], "end 3 to 1 text ''");
    EXPECT_EQ(e.currentText(), "");
}

TEST(XmlStateMachine, AttributeOrEndWithoutAnOpenElementRaisesQuestionMark) {
    Machine m;
    m.startDocument();
    try {
        m.writeAttribute("x", 1);
        FAIL() << "no error";
    } catch (const XML_Error& e) {
        EXPECT_EQ(e.code(), '?');
    }
    try {
        m.endElement();
        FAIL() << "no error";
    } catch (const XML_Error& e) {
        EXPECT_EQ(e.code(), '?');
    }
    EXPECT_TRUE(m.log.empty());
}

TEST(XmlStateMachine, CloseIsTrueOnlyWhenCheckedAndBalanced) {
    Machine m;
    m.startDocument();
    EXPECT_TRUE(m.close(true));
    EXPECT_FALSE(m.close(false));
    m.beginElement("root");
    EXPECT_FALSE(m.close(true));
    // A new document starts with an empty stack.
    m.startDocument();
    EXPECT_EQ(m.depth(), 0u);
    EXPECT_TRUE(m.close(true));

    // Through the parser: a missing final end tag gives false.
    Machine p;
    EXPECT_FALSE(parseInto("<root><item></item>\n", p));
    EXPECT_EQ(p.depth(), 1u);
}
