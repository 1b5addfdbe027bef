#include "SparsePicture.h"

#include <QPaintEngine>
#include <QPainter>
#include <QRegion>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// x * a / 255 on each of the four bytes, rounded as the painter's own
// blending rounds, so that a run copied here and a picture drawn by the
// painter give the same pixels.
inline uint32_t byteMul(uint32_t x, uint32_t a) {
    uint32_t t = (x & 0xff00ff) * a;
    t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
    t &= 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = x + ((x >> 8) & 0xff00ff) + 0x800080;
    x &= 0xff00ff00;
    return x | t;
}

inline uint32_t alpha(uint32_t pixel) {
    return pixel >> 24;
}

// Gaps of fewer transparent pixels than this stay inside a run.
constexpr int MaxGap = 16;

// The pixels of full alpha over the target, the transparent ones leaving it.
// W bytes of pixels are handled as one value, which the compiler turns into
// instructions of one register: W must be the register width the function
// is built for, as a wider value is taken apart pixel by pixel.
template <int W>
__attribute__((always_inline)) inline void selectPixels(uint32_t* target, const uint32_t* source, int n) {
    // (A typedef: GCC drops the attribute from a dependent alias.)
    typedef uint32_t Pixels __attribute__((vector_size(W)));
    constexpr int Count = W / 4;
    int k = 0;
    for (; k + Count <= n; k += Count) {
        Pixels s;
        Pixels t;
        std::memcpy(&s, source + k, sizeof s);
        std::memcpy(&t, target + k, sizeof t);
        // All ones where the alpha byte is not 0, without a vector
        // comparison (which GCC 12 cannot compile in a template).
        const Pixels opaque = Pixels{} - (((s >> 24) + 255u) >> 8);
        t = (s & opaque) | (t & ~opaque);
        std::memcpy(target + k, &t, sizeof t);
    }
    for (; k < n; ++k) {
        if (alpha(source[k]) != 0)
            target[k] = source[k];
    }
}

using SelectFunction = void (*)(uint32_t*, const uint32_t*, int);

void selectPlain(uint32_t* target, const uint32_t* source, int n) {
    selectPixels<16>(target, source, n);
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void selectAvx2(uint32_t* target, const uint32_t* source, int n) {
    selectPixels<32>(target, source, n);
}
#endif

// The widest registers the processor has, asked at the first paint.
SelectFunction widestSelect() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        return selectAvx2;
#endif
    return selectPlain;
}

void select(uint32_t* target, const uint32_t* source, int n) {
    static const SelectFunction function = widestSelect();
    function(target, source, n);
}

inline uint32_t sourceOver(uint32_t source, uint32_t target) {
    return source + byteMul(target, 255 - (source >> 24));
}

QImage* imageOf(const QPainter& canvas) {
    QPaintEngine* engine = canvas.paintEngine();
    if (engine == nullptr || engine->type() != QPaintEngine::Raster)
        return nullptr;
    QPaintDevice* device = engine->paintDevice();
    if (device == nullptr || device->devType() != QInternal::Image)
        return nullptr;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    // In both formats a premultiplied pixel over the old one is the result;
    // over RGB32 the alpha byte comes out as 255.
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied)
        return nullptr;
    return image;
}

} // namespace

SparsePicture::SparsePicture(const QImage& picture) {
    if (picture.isNull())
        return;
    m_picture = picture.format() == QImage::Format_ARGB32_Premultiplied
                    ? picture
                    : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_size = m_picture.size();
    const int width = m_size.width();
    m_rowStart.reserve(size_t(m_size.height()) + 1);
    for (int y = 0; y < m_size.height(); ++y) {
        m_rowStart.push_back(uint32_t(m_runs.size()));
        const auto* row = reinterpret_cast<const uint32_t*>(m_picture.constScanLine(y));
        int x = 0;
        while (x < width) {
            // Most of the picture is transparent: pass over it four pixels
            // at a time.
            while (x + 4 <= width && (row[x] | row[x + 1] | row[x + 2] | row[x + 3]) == 0)
                x += 4;
            while (x < width && alpha(row[x]) == 0)
                ++x;
            if (x >= width)
                break;
            // A run takes in gaps shorter than MaxGap: a hatch or a dotted
            // line is a few long runs rather than many short ones.
            Run run{x, 0, uint32_t(m_pixels.size()), Kind::Copy};
            int end = x; // after the last pixel shown
            for (int gap = 0; x < width && gap < MaxGap; ++x) {
                const uint32_t a = alpha(row[x]);
                if (a == 0) {
                    ++gap;
                    continue;
                }
                gap = 0;
                end = x + 1;
                ++m_shown;
                if (a != 255)
                    run.kind = Kind::Blend;
            }
            run.length = end - run.x;
            for (int i = run.x; i < end; ++i) {
                if (alpha(row[i]) == 0 && run.kind == Kind::Copy)
                    run.kind = Kind::Select;
                m_pixels.push_back(row[i]);
            }
            m_runs.push_back(run);
            x = end;
        }
    }
    m_rowStart.push_back(uint32_t(m_runs.size()));
}

bool SparsePicture::paintsDirectly(const QPainter& canvas) {
    if (imageOf(canvas) == nullptr || canvas.compositionMode() != QPainter::CompositionMode_SourceOver ||
        canvas.opacity() != 1.0)
        return false;
    const QTransform t = canvas.deviceTransform();
    return t.type() <= QTransform::TxTranslate && t.dx() == std::round(t.dx()) && t.dy() == std::round(t.dy());
}

void SparsePicture::paint(QPainter& canvas, QPoint origin) const {
    if (isNull())
        return;
    if (!paintsDirectly(canvas)) {
        canvas.drawImage(origin, m_picture);
        return;
    }
    QImage& image = *imageOf(canvas);
    const QTransform t = canvas.deviceTransform();
    const QPoint offset = origin + QPoint(int(t.dx()), int(t.dy()));
    // Where the painter would let pixels through, in the image's pixels: the
    // paint event's area and the canvas's own clip.
    QRegion clip(image.rect());
    const QRegion system = canvas.paintEngine()->systemClip();
    if (!system.isEmpty())
        clip &= system;
    if (canvas.hasClipping())
        clip &= t.map(canvas.clipRegion());
    clip &= QRect(offset, m_size);
    for (const QRect& r : clip)
        copyRuns(image, offset, r);
}

QRect SparsePicture::paintedRect(const QPainter& canvas) {
    const QPaintEngine* engine = canvas.paintEngine();
    const QPaintDevice* device = engine != nullptr ? engine->paintDevice() : canvas.device();
    if (device == nullptr)
        return QRect();
    QRect area(0, 0, device->width(), device->height());
    if (engine != nullptr && !engine->systemClip().isEmpty())
        area &= engine->systemClip().boundingRect();
    bool invertible = false;
    const QTransform inverse = canvas.deviceTransform().inverted(&invertible);
    if (!invertible)
        return QRect();
    QRect logical = inverse.mapRect(area);
    if (canvas.hasClipping())
        logical &= canvas.clipBoundingRect().toAlignedRect();
    return logical;
}

void SparsePicture::copyRuns(QImage& target, QPoint offset, const QRect& clip) const {
    // The painter writes into this image's rows while it is active; the runs
    // go into the same rows, without detaching the picture from the painter.
    auto* bits = const_cast<uchar*>(target.constBits());
    const qsizetype stride = target.bytesPerLine();
    for (int y = clip.top(); y <= clip.bottom(); ++y) {
        const int row = y - offset.y();
        auto* line = reinterpret_cast<uint32_t*>(bits + y * stride);
        for (uint32_t i = m_rowStart[size_t(row)]; i < m_rowStart[size_t(row) + 1]; ++i) {
            const Run& run = m_runs[i];
            const int from = std::max(run.x + offset.x(), clip.left());
            const int to = std::min(run.x + run.length + offset.x(), clip.right() + 1);
            if (from >= to)
                continue;
            const uint32_t* source = m_pixels.data() + run.first + (from - run.x - offset.x());
            uint32_t* dest = line + from;
            const int n = to - from;
            switch (run.kind) {
            case Kind::Copy:
                std::memcpy(dest, source, size_t(n) * sizeof(uint32_t));
                break;
            case Kind::Select:
                select(dest, source, n);
                break;
            case Kind::Blend:
                for (int k = 0; k < n; ++k)
                    dest[k] = sourceOver(source[k], dest[k]);
                break;
            }
        }
    }
}
