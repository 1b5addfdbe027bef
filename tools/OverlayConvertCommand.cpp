// vistrel-tool overlay-convert: converts drawings between the overlay format
// and GPX, by the files' extensions, through the viewer's own loaders and
// savers (the GPX question is not asked).

#include "ToolCommand.h"

#include "QvoFormat.h"
#include "StdDrawStrategies.h"
#include "UserDrawFileTypes.h"
#include "XML_StreamTarget.h"

#include <QGuiApplication>
#include <QTreeWidgetItem>

#include <iostream>
#include <memory>

namespace {

int run(const std::vector<std::string>& args) {
    if (args.size() != 2)
        return ToolCommand::usage("overlay-convert");
    const QString in = QString::fromLocal8Bit(args[0].c_str());
    const QString out = QString::fromLocal8Bit(args[1].c_str());

    // The tree's nodes carry pictures, which need a GUI application; none
    // needs a screen.
    std::unique_ptr<QGuiApplication> app;
    if (!QGuiApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "vistrel-tool";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    UserDraw::FileTypes::registerStandardFormats();
    StdDrawStrategies::bindDefaultAppearances();

    UserDraw::FileLoader* loader = UserDraw::FileTypes::loaderFor(in);
    UserDraw::FileSaver* saver = UserDraw::FileTypes::saverFor(out);
    if (!loader || !saver) {
        std::cerr << "overlay-convert: " << (loader ? args[1] : args[0])
                  << ": unknown kind of file (the name must end in .qvo or .gpx)\n";
        return 2;
    }

    QTreeWidgetItem root;
    try {
        UserDraw::UD1_XML_TreeStreamTarget target(&root, nullptr);
        if (!loader->load(in, target)) {
            std::cerr << "overlay-convert: " << args[0]
                      << ": cannot be read (missing, unreadable, or its elements end too early)\n";
            return 1;
        }
        if (!target.accepted()) {
            std::cerr << "overlay-convert: " << args[0] << ": not a drawing (no drawing or GPX root element)\n";
            return 1;
        }
    } catch (const std::exception& error) {
        std::cerr << "overlay-convert: " << args[0] << ": not a readable drawing: " << error.what() << '\n';
        return 1;
    }

    std::unique_ptr<XML_StreamTarget> target = saver->open(out);
    if (!target) {
        std::cerr << "overlay-convert: " << args[1] << ": cannot be created\n";
        return 1;
    }
    target->startDocument();
    UserDraw::UD1_TreeToXMLStreamConverter::writeOverlay(nullptr, &root, *target);
    const bool closed = target->close(true);
    if (!saver->finish(out, closed, std::move(target))) {
        std::cerr << "overlay-convert: " << args[1] << ": could not be written completely; an existing file "
                  << "of that name was kept\n";
        return 1;
    }
    return 0;
}

ToolCommand::Registration reg{"overlay-convert", "IN OUT",
                              "converts a drawing between .qvo and .gpx (by the files' extensions)", &run};

} // namespace
