// vistrel-tool tlm-write: converts a picture into a .TLM map file.
#include "ToolArgs.h"
#include "ToolCommand.h"

#include "Cp1252.h"
#include "TlmWriter.h"

#include <QColor>
#include <QImage>
#include <QString>

#include <cstdio>
#include <iostream>
#include <sstream>

namespace {

const char* const Synopsis = "IN.(png|ppm|pgm) OUT.TLM [--variant A|B|C] [--compression none|rle|bzip2] [--tile WxH] "
                             "[--georef KIND:R1,R2,R3,R4] [--layer NAME:MASK:LOW:HIGH]... [--rgb]";

bool parseNumber(const std::string& text, unsigned long& value) {
    try {
        std::size_t used = 0;
        value = std::stoul(text, &used, 0);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

bool parseGeoref(const std::string& text, Georeference& g) {
    const auto colon = text.find(':');
    unsigned long kind;
    if (colon == std::string::npos || !parseNumber(text.substr(0, colon), kind) || kind > 0xFFFF)
        return false;
    g.kind = uint16_t(kind);
    std::istringstream in(text.substr(colon + 1));
    in.imbue(std::locale::classic());
    for (int i = 0; i < 4; ++i) {
        if (!(in >> g.r[i]))
            return false;
        if (i < 3 && in.get() != ',')
            return false;
    }
    return in.peek() == std::char_traits<char>::eof();
}

bool parseLayer(const std::string& text, LayerEntry& layer) {
    // The name may itself hold colons: the last three fields are numbers.
    std::size_t p3 = text.rfind(':');
    if (p3 == std::string::npos || p3 == 0)
        return false;
    std::size_t p2 = text.rfind(':', p3 - 1);
    if (p2 == std::string::npos || p2 == 0)
        return false;
    std::size_t p1 = text.rfind(':', p2 - 1);
    if (p1 == std::string::npos)
        return false;
    unsigned long mask, low, high;
    if (!parseNumber(text.substr(p1 + 1, p2 - p1 - 1), mask) || !parseNumber(text.substr(p2 + 1, p3 - p2 - 1), low) ||
        !parseNumber(text.substr(p3 + 1), high) || mask > 255 || low > 255 || high > 255)
        return false;
    layer.mask = uint8_t(mask);
    layer.low = uint8_t(low);
    layer.high = uint8_t(high);
    layer.name = Cp1252::encode(QString::fromStdString(text.substr(0, p1)));
    return true;
}

int run(const std::vector<std::string>& args) {
    if (args.size() < 2)
        return ToolCommand::usage("tlm-write");
    TlmWriter::Options o;
    bool rgb = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--variant" || a == "--compression" || a == "--tile" || a == "--georef" || a == "--layer") &&
            i + 1 == args.size())
            return ToolArgs::missingValue("tlm-write", a);
        if (a == "--rgb") {
            rgb = true;
        } else if (a == "--variant") {
            const std::string v = args[++i];
            if (v == "A")
                o.variant = TlmWriter::Variant::A;
            else if (v == "B")
                o.variant = TlmWriter::Variant::B;
            else if (v == "C")
                o.variant = TlmWriter::Variant::C;
            else
                return ToolArgs::badValue("tlm-write", a, v, "must be A, B or C");
        } else if (a == "--compression") {
            const std::string v = args[++i];
            if (v == "none")
                o.compression = TlmWriter::None;
            else if (v == "rle")
                o.compression = TlmWriter::RunLength;
            else if (v == "bzip2")
                o.compression = TlmWriter::Bzip2;
            else
                return ToolArgs::badValue("tlm-write", a, v, "must be none, rle or bzip2");
        } else if (a == "--tile") {
            const std::string v = args[++i];
            const auto x = v.find('x');
            unsigned long w, h;
            if (x == std::string::npos || !parseNumber(v.substr(0, x), w) || !parseNumber(v.substr(x + 1), h) ||
                w == 0 || h == 0 || w > 32767 || h > 32767)
                return ToolArgs::badValue("tlm-write", a, v, "must be WxH with width and height 1..32767");
            o.tileWidth = int(w);
            o.tileHeight = int(h);
        } else if (a == "--georef") {
            if (!parseGeoref(args[++i], o.georef))
                return ToolArgs::badValue("tlm-write", a, args[i], "must be KIND:R1,R2,R3,R4 with four numbers");
        } else if (a == "--layer") {
            LayerEntry layer;
            if (!parseLayer(args[++i], layer))
                return ToolArgs::badValue("tlm-write", a, args[i], "must be NAME:MASK:LOW:HIGH with numbers 0..255");
            o.layers.push_back(layer);
        } else {
            std::cerr << "tlm-write: unknown argument " << a << '\n';
            return ToolCommand::usage("tlm-write");
        }
    }
    if (!o.layers.empty() && o.variant != TlmWriter::Variant::C) {
        std::cerr << "tlm-write: layers need variant C\n";
        return 2;
    }

    QImage image(QString::fromStdString(args[0]));
    if (image.isNull()) {
        const std::string problem = ToolArgs::fileProblem(args[0]);
        std::cerr << "tlm-write: " << args[0] << ": "
                  << (problem.empty() ? "not a picture this tool reads (damaged, or another format)" : problem) << '\n';
        return 1;
    }
    // Palette pictures keep their colours, grey pictures become a grey ramp
    // (16-bit grey keeps its values, as elevation models need), and true
    // colour is quantised to 256 colours unless --rgb keeps it.
    if (image.format() == QImage::Format_Grayscale16 && !rgb) {
        o.bitCount = 16;
    } else if (rgb) {
        image = image.convertToFormat(QImage::Format_RGB888).rgbSwapped(); // rows of blue, green, red
        o.bitCount = 24;
    } else {
        if (image.format() == QImage::Format_Grayscale8) {
            QList<QRgb> grey;
            for (int i = 0; i < 256; ++i)
                grey.push_back(qRgb(i, i, i));
            image = image.convertToFormat(QImage::Format_Indexed8, grey);
        } else if (image.format() != QImage::Format_Indexed8) {
            image =
                image.convertToFormat(QImage::Format_Indexed8, Qt::ColorOnly | Qt::ThresholdDither | Qt::AvoidDither);
        }
        o.bitCount = 8;
        for (QRgb c : image.colorTable())
            o.palette.push_back(RgbQuad{uint8_t(qBlue(c)), uint8_t(qGreen(c)), uint8_t(qRed(c)), 0});
    }
    if (image.width() <= 0 || image.height() <= 0) {
        std::cerr << "tlm-write: empty picture\n";
        return 1;
    }
    TlmWriter writer(args[1], image.width(), image.height(), o);
    if (!writer.begin()) {
        std::cerr << "tlm-write: " << writer.error() << '\n';
        return 1;
    }
    // Handed over band by band, as the writer keeps one band at a time.
    for (int y = 0; y < image.height(); y += o.tileHeight) {
        const int n = std::min(o.tileHeight, image.height() - y);
        if (!writer.writeRows(image.constScanLine(y), n, std::size_t(image.bytesPerLine()))) {
            std::cerr << "tlm-write: " << writer.error() << '\n';
            return 1;
        }
    }
    if (!writer.finish()) {
        std::cerr << "tlm-write: " << writer.error() << '\n';
        return 1;
    }
    return 0;
}

ToolCommand::Registration reg{"tlm-write", Synopsis, "converts a picture into a .TLM map file", &run};

} // namespace
