#pragma once

#include <QString>

// The custom colours of the colour dialog, as an overlay file keeps them: a
// comma text of "ColorA=RRGGBB" … "ColorP=RRGGBB", one entry per custom
// colour, the value the colour in hexadecimal with blue in the highest byte.
namespace UserDraw {

class CustomColourList {
public:
    virtual ~CustomColourList() = default;
    virtual QString commaText() const = 0;
    // Entries that cannot be read are skipped; colours not named are kept.
    virtual void setCommaText(const QString& text) = 0;
};

// The list behind the colour selectors of the drawing page.
CustomColourList& dialogCustomColours();

} // namespace UserDraw
