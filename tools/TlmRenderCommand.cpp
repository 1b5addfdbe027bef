// vistrel-tool tlm-render FILE -o OUT.png [...]: what the map library draws
// into a window of a given size with a given map origin, as a PNG picture.
#include "ToolCommand.h"

#include "MapHandle.h"

#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

constexpr int MaxSide = 16384;

bool parseInt(const std::string& text, long long& value) {
    try {
        std::size_t used = 0;
        value = std::stoll(text, &used, 0);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

bool parsePair(const std::string& text, char separator, long long& a, long long& b) {
    const auto pos = text.find(separator);
    return pos != std::string::npos && parseInt(text.substr(0, pos), a) && parseInt(text.substr(pos + 1), b);
}

int run(const std::vector<std::string>& args) {
    std::string file, out;
    double zoom = 1.0;
    long long originX = 0, originY = 0, width = -1, height = -1, dimmer = 255, layers = -1;
    bool hq = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "-o" && hasValue) {
            out = args[++i];
        } else if (a == "--zoom" && hasValue) {
            try {
                zoom = std::stod(args[++i]);
            } catch (...) {
                return ToolCommand::usage("tlm-render");
            }
        } else if (a == "--origin" && hasValue) {
            if (!parsePair(args[++i], ',', originX, originY))
                return ToolCommand::usage("tlm-render");
        } else if (a == "--size" && hasValue) {
            if (!parsePair(args[++i], 'x', width, height) || width <= 0 || height <= 0)
                return ToolCommand::usage("tlm-render");
        } else if (a == "--dimmer" && hasValue) {
            if (!parseInt(args[++i], dimmer) || dimmer < 0 || dimmer > 255)
                return ToolCommand::usage("tlm-render");
        } else if (a == "--layers" && hasValue) {
            if (!parseInt(args[++i], layers) || layers < 0 || layers > 0xFFFFFFFFLL)
                return ToolCommand::usage("tlm-render");
        } else if (a == "--hq") {
            hq = true;
        } else if (file.empty() && !a.empty() && a[0] != '-') {
            file = a;
        } else {
            return ToolCommand::usage("tlm-render");
        }
    }
    if (file.empty() || out.empty())
        return ToolCommand::usage("tlm-render");
    if (originX < INT32_MIN || originX > INT32_MAX || originY < INT32_MIN || originY > INT32_MAX)
        return ToolCommand::usage("tlm-render");

    std::unique_ptr<MapHandle> map = MapHandle::open(file);
    if (!map) {
        std::cerr << "tlm-render: " << file << " does not open as a map file\n";
        return 1;
    }
    const double effective = map->setZoom(zoom);
    map->setDimmer(uint32_t(dimmer));
    if (layers >= 0)
        map->setLayerMask(uint32_t(layers));
    map->setHighQuality(hq);
    // Without a size: the rest of the map from the origin.
    if (width < 0) {
        width = std::max<long long>(1, map->width() - originX);
        height = std::max<long long>(1, map->height() - originY);
    }
    if (width > MaxSide || height > MaxSide) {
        std::cerr << "tlm-render: " << width << " x " << height << " pixels is larger than " << MaxSide << " x "
                  << MaxSide << "; give --size\n";
        return 1;
    }
    QImage image(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull()) {
        std::cerr << "tlm-render: not enough memory for the picture\n";
        return 1;
    }
    // The window background under and beside the map.
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        map->draw(painter, image.rect(), nullptr, int(originX), int(originY));
    }
    if (!image.save(QString::fromStdString(out), "PNG")) {
        std::cerr << "tlm-render: cannot write " << out << "\n";
        return 1;
    }
    std::printf("zoom %.17g, map %d x %d display pixels, picture %lld x %lld\n", effective, map->width(), map->height(),
                width, height);
    return 0;
}

ToolCommand::Registration reg{"tlm-render",
                              "FILE -o OUT.png [--zoom Z] [--origin X,Y] [--size WxH] [--dimmer D] "
                              "[--layers MASK] [--hq]",
                              "draws a map file as the map library draws it into a window of that size, with display "
                              "pixel (X, Y) of the zoomed map at the top left, and saves it as PNG",
                              &run};

} // namespace
