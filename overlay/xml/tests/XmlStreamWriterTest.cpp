#include "XML_Error.h"
#include "XML_StreamWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

constexpr const char* Declaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\n";

// Runs `write` on a writer into memory and returns what reached the file.
std::string writeToMemory(const std::function<void(XML_StreamWriter&)>& write, bool* closeResult = nullptr) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* file = open_memstream(&buffer, &size);
    try {
        XML_StreamWriter writer(file);
        write(writer);
        const bool ok = writer.close(true);
        if (closeResult)
            *closeResult = ok;
    } catch (...) {
        std::free(buffer); // the writer's destructor has closed the stream
        throw;
    }
    std::string out(buffer, size);
    std::free(buffer);
    return out;
}

char errorOf(const std::function<void(XML_StreamWriter&)>& write) {
    try {
        writeToMemory(write);
    } catch (const XML_Error& e) {
        return e.code();
    }
    return 0;
}

} // namespace

TEST(XmlStreamWriter, WritesTheDeclarationAndCompactMarkup) {
    EXPECT_EQ(std::string(Declaration).size(), 45u); // 44 characters and the line break
    bool ok = false;
    const std::string out = writeToMemory(
        [](XML_StreamWriter& w) {
            w.beginElement("Quenvo");
            w.writeAttribute("Type", "Overlay");
            w.writeAttribute("N", 3);
            w.writeAttribute("X", 0.5);
            w.beginElement("Empty");
            w.endElement();
            w.beginElement("Leaf");
            w.text("a\r\nb");
            w.endElement();
            w.beginElement("Outer");
            w.beginElement("Inner");
            w.writeAttribute("A", "");
            w.endElement();
            w.endElement();
            w.endElement();
        },
        &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(out, std::string(Declaration) + "<Quenvo Type=\"Overlay\" N=\"3\" X=\"0.500000\"><Empty/>"
                                              "<Leaf>a\r\nb</Leaf><Outer><Inner A=\"\"/></Outer></Quenvo>");
}

TEST(XmlStreamWriter, EscapesTheFiveMarkupCharactersAndKeepsEveryOtherByte) {
    std::string allBytes;
    for (int b = 1; b < 256; ++b)
        allBytes.push_back(static_cast<char>(b));
    std::string expected;
    for (char c : allBytes) {
        switch (c) {
        case '<':
            expected += "&lt;";
            break;
        case '>':
            expected += "&gt;";
            break;
        case '&':
            expected += "&amp;";
            break;
        case '\'':
            expected += "&apos;";
            break;
        case '"':
            expected += "&quot;";
            break;
        default:
            expected += c;
        }
    }
    const std::string out = writeToMemory([&](XML_StreamWriter& w) {
        w.beginElement("e");
        w.writeAttribute("v", allBytes);
        w.text(allBytes);
        w.endElement();
    });
    EXPECT_EQ(out, std::string(Declaration) + "<e v=\"" + expected + "\">" + expected + "</e>");
    EXPECT_NE(out.find("\xFF"), std::string::npos);
}

TEST(XmlStreamWriter, UsageErrorsRaiseTheirCodes) {
    // An attribute after text or after a child of the same element.
    EXPECT_EQ(errorOf([](XML_StreamWriter& w) {
                  w.beginElement("a");
                  w.text("x");
                  w.writeAttribute("late", 1);
              }),
              'A');
    EXPECT_EQ(errorOf([](XML_StreamWriter& w) {
                  w.beginElement("a");
                  w.beginElement("b");
                  w.endElement();
                  w.writeAttribute("late", 1);
              }),
              'A');
    EXPECT_EQ(errorOf([](XML_StreamWriter& w) { w.writeAttribute("x", "before any element"); }), 'A');
    EXPECT_EQ(errorOf([](XML_StreamWriter& w) { w.endElement(); }), 'E');
    EXPECT_EQ(errorOf([](XML_StreamWriter& w) {
                  w.beginElement("a");
                  w.endElement();
                  w.endElement();
              }),
              'E');

    // Every operation after close.
    const std::function<void(XML_StreamWriter&)> afterClose[] = {
        [](XML_StreamWriter& w) { w.beginElement("a"); },
        [](XML_StreamWriter& w) { w.writeAttribute("a", 1); },
        [](XML_StreamWriter& w) { w.text("a"); },
        [](XML_StreamWriter& w) { w.endElement(); },
    };
    for (const auto& op : afterClose) {
        EXPECT_EQ(errorOf([&](XML_StreamWriter& w) {
                      w.beginElement("root");
                      w.close(true);
                      op(w);
                  }),
                  'F');
    }
    XML_StreamWriter noFile(nullptr);
    EXPECT_FALSE(noFile.isOpen());
    EXPECT_THROW(noFile.beginElement("a"), XML_Error);
    EXPECT_FALSE(noFile.close(true));
}

TEST(XmlStreamWriter, CloseReportsBalanceAndFailedWrites) {
    bool ok = true;
    writeToMemory([](XML_StreamWriter& w) { w.beginElement("open"); }, &ok);
    EXPECT_FALSE(ok);

    char* buffer = nullptr;
    std::size_t size = 0;
    XML_StreamWriter balancedButUnchecked(open_memstream(&buffer, &size));
    EXPECT_FALSE(balancedButUnchecked.close(false));
    EXPECT_FALSE(balancedButUnchecked.isOpen());
    EXPECT_TRUE(balancedButUnchecked.close(true)); // a second close does not close twice
    std::free(buffer);

    // A full disk: the bytes never reach the file, so the save has failed.
    std::FILE* full = std::fopen("/dev/full", "w");
    if (!full)
        GTEST_SKIP() << "no /dev/full";
    XML_StreamWriter writer(full);
    writer.beginElement("a");
    writer.text(std::string(100000, 'x'));
    writer.endElement();
    EXPECT_FALSE(writer.close(true));
}

TEST(XmlStreamWriter, DestructorClosesAnOpenFile) {
    char* buffer = nullptr;
    std::size_t size = 0;
    {
        XML_StreamWriter writer(open_memstream(&buffer, &size));
        writer.beginElement("a");
        writer.text("t");
    }
    // The memory stream publishes its contents when it is closed.
    EXPECT_EQ(std::string(buffer, size), std::string(Declaration) + "<a>t");
    std::free(buffer);
}
