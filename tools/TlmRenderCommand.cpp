// vistrel-tool tlm-render FILE -o OUT [...]: what the map library draws into
// a window of a given size with a given map origin, as a picture in the
// format of OUT's ending.
#include "ToolArgs.h"
#include "ToolCommand.h"

#include "MapHandle.h"

#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

constexpr int MaxSide = 16384;
constexpr const char* Name = "tlm-render";

bool parsePair(const std::string& text, char separator, long long& a, long long& b) {
    const auto pos = text.find(separator);
    return pos != std::string::npos && ToolArgs::parseInteger(text.substr(0, pos), a) &&
           ToolArgs::parseInteger(text.substr(pos + 1), b);
}

// The picture format for the name's ending; empty when it has none this
// tool writes.
QByteArray formatFor(const std::string& out) {
    const QString suffix = QFileInfo(QString::fromStdString(out)).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return "PNG";
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return QImageWriter::supportedImageFormats().contains("jpeg") ? "JPEG" : QByteArray();
    if (suffix == QLatin1String("bmp"))
        return "BMP";
    if (suffix == QLatin1String("ppm"))
        return "PPM";
    return {};
}

int run(const std::vector<std::string>& args) {
    std::string file, out;
    double zoom = 1.0;
    long long originX = 0, originY = 0, width = -1, height = -1, dimmer = 255, layers = -1;
    bool hq = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue =
            a == "-o" || a == "--zoom" || a == "--origin" || a == "--size" || a == "--dimmer" || a == "--layers";
        if (takesValue && i + 1 == args.size())
            return ToolArgs::missingValue(Name, a);
        if (a == "-o") {
            out = args[++i];
        } else if (a == "--zoom") {
            if (!ToolArgs::parseReal(args[++i], zoom) || !(zoom > 0))
                return ToolArgs::badValue(Name, a, args[i],
                                          "must be a number above 0 (1 = one display pixel per map pixel)");
        } else if (a == "--origin") {
            if (!parsePair(args[++i], ',', originX, originY) || originX < INT32_MIN || originX > INT32_MAX ||
                originY < INT32_MIN || originY > INT32_MAX)
                return ToolArgs::badValue(Name, a, args[i], "must be X,Y in whole display pixels");
        } else if (a == "--size") {
            if (!parsePair(args[++i], 'x', width, height))
                return ToolArgs::badValue(Name, a, args[i], "must be WxH in whole pixels, e.g. 800x600");
            if (width < 1 || height < 1 || width > MaxSide || height > MaxSide)
                return ToolArgs::badValue(Name, a, args[i],
                                          "width and height must lie between 1 and " + std::to_string(MaxSide));
        } else if (a == "--dimmer") {
            if (!ToolArgs::parseInteger(args[++i], dimmer) || dimmer < 0 || dimmer > 255)
                return ToolArgs::badValue(Name, a, args[i],
                                          "must be a whole number 0..255 (255 full brightness, 0 black)");
        } else if (a == "--layers") {
            uint32_t mask = 0;
            const std::string& v = args[++i];
            const bool hex = v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X');
            if (!ToolArgs::parseUnsigned(hex ? v.substr(2) : v, hex ? 16 : 10, mask))
                return ToolArgs::badValue(Name, a, v, "must be a layer mask 0..0xFFFFFFFF (bit i shows layer i)");
            layers = mask;
        } else if (a == "--hq") {
            hq = true;
        } else if (file.empty() && !a.empty() && a[0] != '-') {
            file = a;
        } else {
            std::cerr << Name << ": unknown argument " << a << '\n';
            return ToolCommand::usage(Name);
        }
    }
    if (file.empty() || out.empty())
        return ToolCommand::usage(Name);
    const QByteArray format = formatFor(out);
    if (format.isEmpty()) {
        std::cerr << Name << ": " << out << ": writes .png, .jpg, .bmp or .ppm pictures only\n";
        return 2;
    }

    std::unique_ptr<MapHandle> map = MapHandle::open(file);
    if (!map) {
        const std::string problem = ToolArgs::fileProblem(file);
        std::cerr << Name << ": " << file << ": "
                  << (problem.empty() ? "does not open as a map file (damaged, or not a map)" : problem) << '\n';
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
        if (width > MaxSide || height > MaxSide) {
            std::cerr << Name << ": the map from the origin is " << width << " x " << height << " pixels, larger than "
                      << MaxSide << " x " << MaxSide << "; give --size\n";
            return 1;
        }
    }
    QImage image(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull()) {
        std::cerr << Name << ": not enough memory for the picture\n";
        return 1;
    }
    // The window background under and beside the map.
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        map->draw(painter, image.rect(), nullptr, int(originX), int(originY));
    }
    if (!image.save(QString::fromStdString(out), format.constData())) {
        std::cerr << Name << ": cannot write " << out << "\n";
        return 1;
    }
    std::printf("zoom %.17g, map %d x %d display pixels, picture %lld x %lld\n", effective, map->width(), map->height(),
                width, height);
    return 0;
}

ToolCommand::Registration reg{"tlm-render",
                              "FILE -o OUT.(png|jpg|bmp|ppm) [--zoom Z] [--origin X,Y] [--size WxH] [--dimmer D] "
                              "[--layers MASK] [--hq]",
                              "draws a map file as the map library draws it into a window of that size, with display "
                              "pixel (X, Y) of the zoomed map at the top left, and saves it in the format of OUT's "
                              "ending; Z above 0, W and H 1..16384, D 0..255 (255 full brightness, 0 black), MASK "
                              "bit i shows layer i",
                              &run};

} // namespace
