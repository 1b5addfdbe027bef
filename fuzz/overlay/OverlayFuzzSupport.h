#pragma once

// Shared by the overlay file fuzz targets: a GUI application without a
// screen (tree nodes carry pictures), a colour list that only keeps its text,
// and writing a tree back into memory.

#include "CustomColourList.h"
#include "QvoFormat.h"
#include "StdDrawStrategies.h"
#include "XML_StreamWriter.h"

#include <QGuiApplication>
#include <QTreeWidgetItem>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace OverlayFuzz {

class Colours : public UserDraw::CustomColourList {
public:
    QString text;
    QString commaText() const override { return text; }
    void setCommaText(const QString& t) override { text = t; }
};

// The application lives until the process ends: destroying it at exit, after
// other statics are gone, would crash.
inline void initialise() {
    static QGuiApplication* app = nullptr;
    if (app)
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_overlay";
    static char* argv[] = {name, nullptr};
    app = new QGuiApplication(argc, argv);
    StdDrawStrategies::bindDefaultAppearances();
}

// Writes through `write(target)` into memory.
template <class Target, class Write> std::string toMemory(Write write) {
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* file = open_memstream(&buffer, &size);
    {
        Target target(file);
        write(target);
    }
    std::string bytes(buffer, size);
    std::free(buffer);
    return bytes;
}

inline std::string writeTree(const QTreeWidgetItem& root, const Colours* colours) {
    return toMemory<XML_StreamWriter>([&](XML_StreamTarget& target) {
        target.startDocument();
        UserDraw::UD1_TreeToXMLStreamConverter::writeOverlay(colours, &root, target);
        target.close(true);
    });
}

} // namespace OverlayFuzz
