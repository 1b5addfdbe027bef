#pragma once

#include <QImage>
#include <QString>

#include <memory>
#include <vector>

// The pictures of picture-symbol elements. Overlay files name an icon only by
// its name; the process-wide sets below turn names into pictures.
namespace SymbolIcon {

class AbstractSI {
public:
    virtual ~AbstractSI() = default;
    // The picture to draw; none when there is nothing to draw.
    virtual const QImage* picture() const = 0;
    virtual QString name() const = 0;
};

class AbstractSI_WithName : public AbstractSI {
public:
    explicit AbstractSI_WithName(const QString& name) : m_name(name) {}
    QString name() const override { return m_name; }

private:
    QString m_name;
};

// An icon with a picture of its own.
class DefaultSI : public AbstractSI_WithName {
public:
    DefaultSI(const QString& name, std::unique_ptr<QImage> picture)
        : AbstractSI_WithName(name), m_picture(std::move(picture)) {}
    const QImage* picture() const override { return m_picture.get(); }
    // The previous picture is destroyed.
    void setPicture(std::unique_ptr<QImage> picture) { m_picture = std::move(picture); }

private:
    std::unique_ptr<QImage> m_picture;
};

// Stands in for an icon whose name could not be resolved: the element keeps
// the name, so saving writes it back unchanged, and shows a framed "?".
class PseudoSI : public AbstractSI_WithName {
public:
    using AbstractSI_WithName::AbstractSI_WithName;
    // One picture shared by all placeholders.
    const QImage* picture() const override;
    static const QImage& placeholderPicture();
};

// Pictures larger than this in either direction are refused.
constexpr int MaxPictureSize = 64;

// Reads directory + fileName; none when the picture cannot be read or is
// larger than 64 x 64 pixels. The icon is named fileName.
std::unique_ptr<DefaultSI> loadIcon(const QString& directory, const QString& fileName);

// The hint text of an icon: empty for none; a full path as it is; otherwise
// the file name without leading digits and extension ("012Burg.bmp" → "Burg").
QString displayName(const AbstractSI* icon);

namespace Set {

// Icons in insertion order (the order of the grid) with an index sorted by
// name; names compare without regard to case. Owns its icons.
class IndexedSet {
public:
    int count() const { return int(m_icons.size()); }
    // None when out of range.
    AbstractSI* at(int index) const;
    // None when no icon has that name.
    AbstractSI* byName(const QString& name) const;
    // The set takes the icon; returns it.
    AbstractSI* add(std::unique_ptr<AbstractSI> icon);
    // Position in insertion order, -1 when not in the set.
    int indexOf(const AbstractSI* icon) const;
    void clear();

private:
    std::vector<std::unique_ptr<AbstractSI>> m_icons;
    std::vector<int> m_sorted; // indices into m_icons, ordered by name
};

// The icons of the symbol directory, read on first use, plus the pictures the
// user added while the program runs.
class FromPath {
public:
    static IndexedSet& instance();
    // Reads the symbol directory again (for tests and a changed medium).
    static void reload();
};

// The placeholders made for names that could not be resolved.
class FromPathAndPseudo {
public:
    static IndexedSet& instance();
};

} // namespace Set

int iconCount();
AbstractSI* iconAt(int index);
AbstractSI* iconByName(const QString& name);

// The icon of a name from an overlay file: from the symbol directory set,
// else loaded as a path (and added to that set), else a placeholder made
// earlier, else, when allowed, a new placeholder. None otherwise.
AbstractSI* resolveIcon(const QString& name, bool createPlaceholder);

} // namespace SymbolIcon
