// vistrel-tool tlm-info FILE: what a map file holds, as the map library reads it.
#include "ToolArgs.h"
#include "ToolCommand.h"

#include "Cp1252.h"
#include "ImageSource.h"
#include "SheetMosaic.h"
#include "TlmImage.h"

#include <cstdio>
#include <iostream>

namespace {

const char* compressionName(uint32_t c) {
    switch (c) {
    case 0:
        return "none";
    case 1:
        return "run-length";
    case 2:
        return "bzip2";
    case 3:
        return "tile codec plug-in";
    default:
        return "unknown";
    }
}

const char* variantName(TlmImage::Variant v) {
    switch (v) {
    case TlmImage::Variant::A:
        return "A";
    case TlmImage::Variant::B:
        return "B";
    default:
        return "C";
    }
}

void printSource(ImageSource& s) {
    std::printf("image size: %d x %d\n", s.imageWidth(), s.imageHeight());
    std::printf("tile size: %d x %d (%d x %d tiles, %d tile bytes)\n", s.tileWidth(), s.tileHeight(), s.tilesPerRow(),
                s.tileRows(), s.tileBytes());
    std::printf("bit count: %d\n", s.bitCount());
    std::printf("palette: %zu colours\n", s.palette().size());
    std::printf("layers: %d\n", s.layerCount());
    for (int i = 0; i < s.layerCount(); ++i) {
        const LayerEntry& l = s.layers()[std::size_t(i)];
        std::printf("  %d \"%s\" mask 0x%02X low %d high %d\n", i, Cp1252::decode(l.name).toStdString().c_str(), l.mask,
                    l.low, l.high);
    }
    int type = 0, zone = 0;
    s.georefInfo(type, zone);
    std::printf("coordinate type: %d, zone %d\n", type, zone);
}

int run(const std::vector<std::string>& args) {
    if (args.size() != 1)
        return ToolCommand::usage("tlm-info");
    ImageSource* source = ImageSource::open(args[0]);
    if (!source) {
        const std::string problem = ToolArgs::fileProblem(args[0]);
        std::cerr << "tlm-info: " << args[0] << ": "
                  << (problem.empty() ? "does not open as a map file (damaged, or not a map)" : problem) << '\n';
        return 1;
    }
    std::printf("file: %s\n", args[0].c_str());
    if (auto* tlm = dynamic_cast<TlmImage*>(source)) {
        std::printf("format: TLM, variant %s\n", variantName(tlm->variant()));
        printSource(*source);
        std::printf("compression: %u (%s)\n", tlm->storedCompression(), compressionName(tlm->storedCompression()));
        const Georeference& g = tlm->georeference();
        std::printf("georeference: kind %u, zone %d\n", g.kind, g.zone);
        std::printf("R1..R4: %.17g %.17g %.17g %.17g\n", g.r[0], g.r[1], g.r[2], g.r[3]);
    } else if (auto* mosaic = dynamic_cast<SheetMosaic*>(source)) {
        std::printf("format: sheet mosaic\n");
        printSource(*source);
        std::printf("sheet grid: %d columns x %d rows, %zu sheets listed\n", mosaic->columns(), mosaic->rows(),
                    mosaic->sheets().size());
        std::printf("sheet size: %.17g x %.17g map units, %d x %d pixels\n", mosaic->sheetWidth(),
                    mosaic->sheetHeight(), mosaic->sheetPixelWidth(), mosaic->sheetPixelHeight());
        std::printf("lower left: easting %.17g, northing %.17g\n", mosaic->eastingMin(), mosaic->northingMin());
        std::printf("reference sheet: column %d, row %d\n", mosaic->referenceColumn(), mosaic->referenceRow());
        for (const SheetMosaic::Sheet& sheet : mosaic->sheets())
            std::printf("  column %d row %d: %s\n", sheet.column, sheet.row, sheet.path.c_str());
    } else {
        std::printf("format: single-tile raster\n");
        printSource(*source);
    }
    source->release();
    return 0;
}

ToolCommand::Registration reg{"tlm-info", "FILE",
                              "prints variant, sizes, tiles, bit count, compression, palette, layers and "
                              "georeference of a map file (.TLM, .KMO, .BMP, .PCX, .TIF)",
                              &run};

} // namespace
