#include "TileRenderer.h"

#include <algorithm>
#include <cstring>

namespace TileRenderer {

namespace {

inline uint32_t rgb(uint8_t red, uint8_t green, uint8_t blue) {
    return 0xFF000000u | (uint32_t(red) << 16) | (uint32_t(green) << 8) | uint32_t(blue);
}

// Stored line of picture row `y` (counted from the top of the tile).
inline const uint8_t* storedLine(const TileLayout& t, int y) {
    return t.bits + std::size_t(t.tileHeight - 1 - y) * std::size_t(t.stride);
}

// For every display column of `part`, the source column it shows.
std::vector<int> columnMap(const TileLayout& t, const QRect& part) {
    std::vector<int> map(std::size_t(part.width()));
    for (int i = 0; i < part.width(); ++i)
        map[std::size_t(i)] = int(int64_t(part.left() + i) * t.width / t.displayWidth);
    return map;
}

// One overlap of a target cell with a source cell along one axis.
struct Weight {
    int source;
    int64_t overlap;
};

// Along one axis: target cell t covers [t × sourceCount, (t + 1) × sourceCount)
// and source cell s covers [s × targetCount, (s + 1) × targetCount). first[t]
// indexes the weights of target t in `weights` (first[t + 1] ends them).
void axisWeights(int sourceCount, int targetCount, std::vector<int>& first, std::vector<Weight>& weights) {
    first.assign(std::size_t(targetCount) + 1, 0);
    weights.clear();
    for (int t = 0; t < targetCount; ++t) {
        first[std::size_t(t)] = int(weights.size());
        const int64_t a = int64_t(t) * sourceCount;
        const int64_t b = a + sourceCount;
        for (int64_t s = a / targetCount; s * targetCount < b && s < sourceCount; ++s) {
            const int64_t lo = std::max(a, s * targetCount);
            const int64_t hi = std::min(b, (s + 1) * targetCount);
            if (hi > lo)
                weights.push_back({int(s), hi - lo});
        }
    }
    first[std::size_t(targetCount)] = int(weights.size());
}

} // namespace

std::vector<uint32_t> colourTable(const std::vector<RgbQuad>& palette, int bitCount) {
    if (bitCount > 16 || bitCount <= 0)
        return {};
    std::vector<uint32_t> table(std::size_t(1) << bitCount, rgb(0, 0, 0));
    const std::size_t n = std::min(table.size(), palette.size());
    for (std::size_t i = 0; i < n; ++i)
        table[i] = rgb(palette[i].red, palette[i].green, palette[i].blue);
    return table;
}

QImage stretch(const TileLayout& t, const QRect& part, const uint32_t* colours, uint8_t dimmer, QImage into) {
    QImage image = into.size() == part.size() && into.format() == QImage::Format_RGB32
                       ? std::move(into)
                       : QImage(part.size(), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const bool identity = t.displayWidth == t.width;
    const std::vector<int> xs = identity ? std::vector<int>() : columnMap(t, part);
    const int n = part.width();
    int previous = -1;
    for (int row = 0; row < part.height(); ++row) {
        const int dy = part.top() + row;
        const int sy = int(int64_t(dy) * t.height / t.displayHeight);
        auto* out = reinterpret_cast<uint32_t*>(image.scanLine(row));
        // Zoomed in, display rows repeat their source row: copy the last one.
        if (sy == previous) {
            std::memcpy(out, image.constScanLine(row - 1), std::size_t(n) * 4);
            continue;
        }
        previous = sy;
        const uint8_t* src = storedLine(t, sy);
        switch (t.bitCount) {
        case 8:
            if (identity) {
                const uint8_t* s = src + part.left();
                for (int i = 0; i < n; ++i)
                    out[i] = colours[s[i]];
            } else {
                for (int i = 0; i < n; ++i)
                    out[i] = colours[src[xs[std::size_t(i)]]];
            }
            break;
        case 24:
            for (int i = 0; i < n; ++i) {
                const uint8_t* p = src + std::size_t(identity ? part.left() + i : xs[std::size_t(i)]) * 3;
                if (dimmer == 255)
                    out[i] = rgb(p[2], p[1], p[0]);
                else
                    out[i] =
                        rgb(uint8_t(p[2] * dimmer / 255), uint8_t(p[1] * dimmer / 255), uint8_t(p[0] * dimmer / 255));
            }
            break;
        case 16:
            for (int i = 0; i < n; ++i) {
                const uint8_t* p = src + std::size_t(identity ? part.left() + i : xs[std::size_t(i)]) * 2;
                out[i] = colours[p[0] | (p[1] << 8)];
            }
            break;
        default: { // 1 or 4 bits, most significant bits first
            const int bits = t.bitCount;
            const int perByte = 8 / bits;
            const unsigned mask = (1u << bits) - 1;
            for (int i = 0; i < n; ++i) {
                const int sx = identity ? part.left() + i : xs[std::size_t(i)];
                const unsigned byte = src[sx / perByte];
                const int shift = 8 - bits * (sx % perByte + 1);
                out[i] = colours[(byte >> shift) & mask];
            }
            break;
        }
        }
    }
    return image;
}

QImage areaAverage(const TileLayout& t, const std::vector<RgbQuad>& palette) {
    const int tw = t.tileWidth, th = t.tileHeight;
    const int dw = t.displayWidth, dh = t.displayHeight;
    QImage image(dw, dh, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    RgbQuad colours[256];
    std::copy_n(palette.begin(), std::min<std::size_t>(256, palette.size()), colours);

    std::vector<int> xFirst, yFirst;
    std::vector<Weight> xWeights, yWeights;
    axisWeights(tw, dw, xFirst, xWeights);
    axisWeights(th, dh, yFirst, yWeights);

    // Horizontal sums first: per source row and target column, blue, green,
    // red weighted by the horizontal overlap.
    std::vector<int64_t> rowSums(std::size_t(th) * std::size_t(dw) * 3);
    for (int sy = 0; sy < th; ++sy) {
        const uint8_t* src = storedLine(t, sy);
        int64_t* sums = rowSums.data() + std::size_t(sy) * std::size_t(dw) * 3;
        for (int tx = 0; tx < dw; ++tx) {
            int64_t b = 0, g = 0, r = 0;
            for (int k = xFirst[std::size_t(tx)]; k < xFirst[std::size_t(tx) + 1]; ++k) {
                const Weight& w = xWeights[std::size_t(k)];
                const RgbQuad& c = colours[src[w.source]];
                b += w.overlap * c.blue;
                g += w.overlap * c.green;
                r += w.overlap * c.red;
            }
            sums[3 * tx] = b;
            sums[3 * tx + 1] = g;
            sums[3 * tx + 2] = r;
        }
    }
    const int64_t divisor = int64_t(tw) * th;
    const int64_t half = divisor / 2;
    for (int ty = 0; ty < dh; ++ty) {
        auto* out = reinterpret_cast<uint32_t*>(image.scanLine(ty));
        for (int tx = 0; tx < dw; ++tx) {
            int64_t b = 0, g = 0, r = 0;
            for (int k = yFirst[std::size_t(ty)]; k < yFirst[std::size_t(ty) + 1]; ++k) {
                const Weight& w = yWeights[std::size_t(k)];
                const int64_t* s = rowSums.data() + (std::size_t(w.source) * std::size_t(dw) + std::size_t(tx)) * 3;
                b += w.overlap * s[0];
                g += w.overlap * s[1];
                r += w.overlap * s[2];
            }
            out[tx] = rgb(uint8_t((r + half) / divisor), uint8_t((g + half) / divisor), uint8_t((b + half) / divisor));
        }
    }
    return image;
}

} // namespace TileRenderer
