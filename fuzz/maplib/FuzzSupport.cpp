#include "FuzzSupport.h"

#include "ImageSource.h"
#include "TileCache.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace FuzzSupport {

const std::string& workDir() {
    static const std::string dir = [] {
        std::string templ = "/tmp/fuzz-maplib-XXXXXX";
        if (!::mkdtemp(templ.data()))
            std::abort();
        return templ;
    }();
    return dir;
}

std::string writeInput(const std::string& name, const uint8_t* data, std::size_t size) {
    const std::string path = workDir() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    if (size)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
    return path;
}

void exercise(ImageSource& source) {
    for (int i = 0; i <= source.layerCount(); ++i)
        (void)source.layerName(i);
    std::vector<RgbQuad> palette = source.palette();
    source.applyLayerMask(0x5, source.tileHeader(), palette);
    int type = 0, zone = 0;
    source.georefInfo(type, zone);
    // Huge tiles are legal but would only measure the allocator.
    if (source.tileBufferBytes() > (256u << 10))
        return;
    std::vector<uint8_t> tile(source.tileBufferBytes());
    const int columns = std::min(source.tilesPerRow(), 3);
    const int rows = std::min(source.tileRows(), 3);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            source.readTile(c, r, tile.data(), tile.size());
    // The last tile, and one through the cache.
    source.readTile(source.tilesPerRow() - 1, source.tileRows() - 1, tile.data(), tile.size());
    TileCache::instance().tile(&source, 0, 0);
}

} // namespace FuzzSupport
