#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <vector>

class QPainter;

// A picture of a few lines over a transparent ground (boundaries, tracks),
// kept as the runs of pixels that are not transparent. Painting it again
// over the map touches only those pixels: on the screen's picture the runs
// are copied straight into the rows, where drawing the picture as an image
// would blend every pixel of the window and cost more than the map itself.
class SparsePicture {
public:
    SparsePicture() = default;
    // The pixels of an ARGB32 premultiplied picture that are not fully
    // transparent; any other picture is converted first.
    explicit SparsePicture(const QImage& picture);

    bool isNull() const { return m_size.isEmpty(); }
    QSize size() const { return m_size; }
    // Pixels held (not transparent).
    size_t pixelCount() const { return m_shown; }

    // Paints the picture with its top-left corner at `origin` in the
    // canvas's coordinates, as drawImage would with the canvas's transform,
    // clip, opacity and composition mode.
    void paint(QPainter& canvas, QPoint origin) const;
    // Whether paint() can copy the runs straight into the canvas's picture
    // (a 32-bit image, moved but not scaled, drawn over with full opacity).
    static bool paintsDirectly(const QPainter& canvas);

    // The part of the canvas a paint can change (the paint event's area and
    // the canvas's clip), in the canvas's coordinates.
    static QRect paintedRect(const QPainter& canvas);

private:
    // How the pixels of a run go onto the canvas.
    enum class Kind : uint8_t {
        Copy,   // all of full alpha
        Select, // of full alpha or transparent (the gaps of a hatch)
        Blend,  // some partly transparent
    };
    struct Run {
        int32_t x;
        int32_t length;
        uint32_t first; // index of its first pixel in m_pixels
        Kind kind;
    };
    void copyRuns(QImage& target, QPoint offset, const QRect& clip) const;

    QSize m_size;
    std::vector<Run> m_runs;
    std::vector<uint32_t> m_rowStart; // runs of row y: [m_rowStart[y], m_rowStart[y + 1])
    std::vector<uint32_t> m_pixels;   // premultiplied ARGB, short gaps included
    size_t m_shown = 0;               // pixels that are not transparent
    QImage m_picture;                 // for canvases the runs cannot be copied into
};
