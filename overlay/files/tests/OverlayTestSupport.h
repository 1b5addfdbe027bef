#pragma once

#include "CharBufferReader.h"
#include "CustomColourList.h"
#include "DrawTreeItem.h"
#include "QvoFormat.h"
#include "StdDrawStrategies.h"
#include "XML_StreamWriter.h"
#include "XML_ToStreamParser.h"

#include <QTreeWidgetItem>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

// Small helpers shared by the overlay file tests: building trees, writing
// them into memory and reading documents from memory.
namespace OverlayTest {

class FixedColours : public UserDraw::CustomColourList {
public:
    QString text;
    QString commaText() const override { return text; }
    void setCommaText(const QString& t) override { text = t; }
};

inline Coord point(uint32_t type, double x, double y, uint32_t zone = 0) {
    Coord c;
    c.type = type;
    c.zone = zone;
    c.x = x;
    c.y = y;
    return c;
}

inline QTreeWidgetItem* addFolder(QTreeWidgetItem* parent, const QString& name) {
    auto* node = new DrawTreeNode(new DrawTreeFolder, 2);
    node->setText(0, name);
    parent->addChild(node);
    return node;
}

inline QTreeWidgetItem* addElement(QTreeWidgetItem* parent, const StdDrawAppearance& appearance,
                                   std::initializer_list<Coord> points, const QString& name, bool closed = false) {
    auto geometry = std::make_unique<StdDrawObject>();
    geometry->points.assign(points.begin(), points.end());
    geometry->setClosed(closed);
    auto* node = new DrawTreeNode(new DrawTreeObject(appearance, geometry), 0);
    node->setText(0, name);
    parent->addChild(node);
    return node;
}

inline StdDrawAppearance appearanceOf(const StdDrawStrategy& strategy) {
    StdDrawAppearance a;
    a.strategy = &strategy;
    return a;
}

inline DrawTreeObject* objectOf(const QTreeWidgetItem* node) {
    return dynamic_cast<DrawTreeObject*>(itemOf(node));
}

inline bool isFolder(const QTreeWidgetItem* node) {
    return dynamic_cast<DrawTreeFolder*>(itemOf(node)) != nullptr;
}

// Runs `write` on a writer into memory and returns the bytes.
template <class Write> std::string writeToMemory(Write write) {
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* file = open_memstream(&buffer, &size);
    {
        XML_StreamWriter writer(file);
        write(static_cast<XML_StreamTarget&>(writer));
        writer.close(true);
    }
    std::string bytes(buffer, size);
    std::free(buffer);
    return bytes;
}

inline std::string writeTree(const QTreeWidgetItem* root, const UserDraw::CustomColourList* colours = nullptr) {
    return writeToMemory([&](XML_StreamTarget& target) {
        target.startDocument();
        UserDraw::UD1_TreeToXMLStreamConverter::writeOverlay(colours, root, target);
    });
}

inline bool parseInto(const std::string& document, XML_StreamTarget& target) {
    XML_ToStreamParser parser(std::make_unique<CharBufferReader::FromMemory>(document.data(), document.size(), 4096));
    return parser.parse(target);
}

inline bool readTree(const std::string& document, QTreeWidgetItem* root,
                     UserDraw::CustomColourList* colours = nullptr) {
    UserDraw::UD1_XML_TreeStreamTarget target(root, colours);
    return parseInto(document, target);
}

inline std::string header() {
    return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\n";
}

// An overlay document with `body` after the root's start tag.
inline std::string overlay(const std::string& body) {
    return header() + "<Quenvo Type=\"Overlay\" Version=\"1.0\">" + body + "</Quenvo>";
}

} // namespace OverlayTest
