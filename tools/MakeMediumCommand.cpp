// vistrel-tool make-medium: writes the demo data medium.
#include "ToolArgs.h"
#include "ToolCommand.h"

#include "MapRenderer.h"
#include "MediumWriter.h"
#include "World.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <cstdio>
#include <iostream>
#include <memory>

namespace {

int run(const std::vector<std::string>& args) {
    std::string dir, preview;
    uint32_t seed = 1;
    MediumSize size = MediumSize::Small;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--seed" || a == "--size" || a == "--preview") && i + 1 == args.size())
            return ToolArgs::missingValue("make-medium", a);
        if (a == "--seed") {
            if (!ToolArgs::parseUnsigned(args[++i], 10, seed))
                return ToolArgs::badValue("make-medium", a, args[i], "must be a whole number 0..4294967295");
        } else if (a == "--size") {
            const std::string v = args[++i];
            if (v == "small")
                size = MediumSize::Small;
            else if (v == "medium")
                size = MediumSize::Medium;
            else if (v == "large")
                size = MediumSize::Large;
            else
                return ToolArgs::badValue("make-medium", a, v, "must be small, medium or large");
        } else if (a == "--preview") {
            preview = args[++i];
        } else if (!a.empty() && a[0] != '-' && dir.empty()) {
            dir = a;
        } else {
            return ToolCommand::usage("make-medium");
        }
    }
    if (dir.empty())
        return ToolCommand::usage("make-medium");

    // Text is drawn through the font database, which needs a GUI
    // application; none needs a screen.
    std::unique_ptr<QGuiApplication> app;
    if (!QGuiApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "vistrel-tool";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    QElapsedTimer timer;
    timer.start();
    const WorldSpec spec = WorldSpec::make(seed, size);
    World world(spec);
    std::cerr << "world: " << timer.elapsed() << " ms, " << world.settlements.size() << " places, "
              << world.rivers.size() << " rivers, " << world.lakes.size() << " lakes\n";
    if (!preview.empty()) {
        QDir().mkpath(QString::fromStdString(preview));
        const MapSpec maps[] = {MapSpec::regional(spec), MapSpec::overview250(spec), MapSpec::overview1600(spec),
                                MapSpec::overviewLand(spec), MapSpec::overviewRegion(spec)};
        const char* names[] = {"regional", "ueb0250", "ueb1600", "ov_land", "ov_cd"};
        for (int i = 0; i < 5; ++i) {
            timer.restart();
            MapRenderer r(world, maps[i]);
            const QImage img = r.render();
            img.save(QString::fromStdString(preview) + QLatin1Char('/') + QString::fromLatin1(names[i]) +
                     QStringLiteral(".png"));
            std::cerr << names[i] << ": " << maps[i].width << "x" << maps[i].height << " " << timer.elapsed()
                      << " ms\n";
        }
    }
    MediumWriter writer(world, QString::fromStdString(dir));
    writer.progress = [&](const QString& line) {
        std::cerr << line.toStdString() << " (" << timer.elapsed() << " ms)\n";
    };
    timer.restart();
    if (!writer.write()) {
        std::cerr << "make-medium: " << writer.errorString().toStdString() << '\n';
        return 1;
    }
    std::cerr << "medium written to " << dir << " (" << timer.elapsed() << " ms)\n";
    return 0;
}

ToolCommand::Registration reg{"make-medium", "DIR [--seed N] [--size small|medium|large]",
                              "writes a complete demo data medium for a generated region into DIR", &run};

} // namespace
