#pragma once

#include "SparsePicture.h"

#include <QRect>

#include <functional>
#include <vector>

class QPainter;

// What a layer drew over the map for one view of the screen, kept so that a
// repaint of that view (a dialog closed over the map, the window uncovered)
// puts back its pixels instead of drawing everything again. The layer names
// what decides its picture in a key: where the view lies, and whatever else
// changes what it draws.
class KeptPicture {
public:
    enum class Outcome {
        Kept,   // the kept picture served
        Drawn,  // drawn onto a new picture, which served
        Direct, // drawn on the canvas itself
    };
    // Paints the layer onto the canvas of the view (in window coordinates):
    // - from the kept picture when `key` is the key it was drawn for;
    // - else, for a paint of most of the view, `draw` draws onto a new
    //   picture of the view, with the canvas's font, render hints and
    //   resolution; the picture is kept when `draw` returns true (it was not
    //   stopped half way);
    // - `draw` draws on the canvas itself where a picture would not serve: an
    //   empty key, a canvas the picture would not go into pixel for pixel (a
    //   scaled screen: it would show coarser), a strip uncovered by scrolling
    //   (drawing the whole view for it would cost more than it saves).
    Outcome paint(QPainter& canvas, const QRect& view, std::vector<double> key,
                  const std::function<bool(QPainter&)>& draw);
    // The next paint draws anew.
    void clear();

private:
    SparsePicture m_picture;
    std::vector<double> m_key;
};
