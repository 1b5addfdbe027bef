#pragma once

#include <QString>

class MapEventInfo;
class StdDrawObject;
struct StdDrawAppearance;

// The drawing code of one element kind: a stateless singleton shared by all
// elements of that kind. It knows the kind's name in overlay files, its
// label in the tree, its default appearance, which properties apply to it and
// how to paint a geometry through a paint event.
class StdDrawStrategy {
public:
    virtual ~StdDrawStrategy() = default;

    // The element name in overlay files.
    virtual QString elementName() const = 0;
    // The node text of a new element that was given no name.
    virtual QString kindLabel(const StdDrawObject& geometry) const = 0;
    // The record this kind starts from; the base gives record 0.
    virtual StdDrawAppearance& defaultAppearance() const;
    virtual void draw(MapEventInfo& target, const StdDrawObject& geometry,
                      const StdDrawAppearance& appearance) const = 0;
    // Placed with one click (true) or drawn as a polyline (false).
    virtual bool isPointElement() const { return false; }
    // The symbol shape and size apply.
    virtual bool usesShape() const { return false; }
    // The element's text belongs to it and is stored in files.
    virtual bool hasText() const { return false; }
    // The element shows a picture of the icon set.
    virtual bool hasIcon() const { return false; }

protected:
    StdDrawStrategy() = default;
};
