// Opens the input as a sheet mosaic over a few real sheets and reads from it.
#include "FuzzSupport.h"
#include "ImageSource.h"
#include "RasterWriters.h"
#include "SheetMosaic.h"
#include "TlmWriter.h"

#include <vector>

static void writeSheets() {
    std::vector<uint8_t> pixels(64 * 32);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint8_t(i / 7);
    TlmWriter::Options o;
    o.compression = TlmWriter::RunLength;
    o.tileWidth = 16;
    o.tileHeight = 16;
    o.palette.resize(256);
    for (const char* name : {"a.tlm", "b.tlm"})
        TlmWriter::write(FuzzSupport::workDir() + "/" + name, 64, 32, pixels.data(), 64, o);
    RasterWriters::writeBmp(FuzzSupport::workDir() + "/c.bmp", 64, 32, 8, o.palette, pixels.data(), 64);
    RasterWriters::writeSheetMosaic(FuzzSupport::workDir() + "/d.kmo", 1000, 500,
                                    {{0, 0, "a.tlm"}, {1000, 0, "b.tlm"}});
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (writeSheets(), true);
    (void)ready;
    const std::string path = FuzzSupport::writeInput("input.KMO", data, size);
    if (ImageSource* source = ImageSource::open(path)) {
        auto* mosaic = static_cast<SheetMosaic*>(source);
        for (int r = 0; r < std::min(mosaic->rows(), 4); ++r)
            for (int c = 0; c < std::min(mosaic->columns(), 4); ++c)
                mosaic->sheetAt(c, r);
        FuzzSupport::exercise(*source);
        source->release();
    }
    return 0;
}
