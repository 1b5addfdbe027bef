#include "SymbolIcon.h"

#include "Paths.h"

#include <QDir>
#include <QFontMetrics>
#include <QImageReader>
#include <QPainter>

#include <algorithm>

namespace SymbolIcon {

const QImage* PseudoSI::picture() const {
    return &placeholderPicture();
}

const QImage& PseudoSI::placeholderPicture() {
    static const QImage picture = [] {
        QImage image(32, 32, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setPen(QPen(Qt::black, 3));
        p.setBrush(Qt::NoBrush);
        // The frame of the rectangle (1, 1) to (31, 31), right and bottom edge excluded.
        p.drawRect(QRect(1, 1, 29, 29));
        const QString mark = QStringLiteral("?");
        const QFontMetrics metrics(p.font());
        const int x = 16 - metrics.horizontalAdvance(mark) / 2;
        const int y = 16 - metrics.height() / 2;
        p.drawText(QPoint(x, y + metrics.ascent()), mark);
        return image;
    }();
    return picture;
}

std::unique_ptr<DefaultSI> loadIcon(const QString& directory, const QString& fileName) {
    QImageReader reader(directory + fileName);
    const QSize size = reader.size();
    // The size is known before decoding for every format we read; refuse
    // large pictures without reading them.
    if (size.isValid() && (size.width() > MaxPictureSize || size.height() > MaxPictureSize))
        return nullptr;
    QImage image = reader.read();
    if (image.isNull() || image.width() > MaxPictureSize || image.height() > MaxPictureSize)
        return nullptr;
    auto picture = std::make_unique<QImage>(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    return std::make_unique<DefaultSI>(fileName, std::move(picture));
}

QString displayName(const AbstractSI* icon) {
    if (icon == nullptr)
        return QString();
    const QString name = icon->name();
    // A full path: with a drive letter, or absolute.
    if ((name.size() >= 2 && name.at(1) == QLatin1Char(':')) || name.startsWith(QLatin1Char('/')))
        return name;
    int start = 0;
    while (start < name.size() && name.at(start) >= QLatin1Char('0') && name.at(start) <= QLatin1Char('9'))
        ++start;
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const int end = dot >= start ? dot : name.size();
    return name.mid(start, end - start);
}

namespace Set {

namespace {
// Locale order without regard to case.
int compareNames(const QString& a, const QString& b) {
    return QString::localeAwareCompare(a.toCaseFolded(), b.toCaseFolded());
}
} // namespace

AbstractSI* IndexedSet::at(int index) const {
    if (index < 0 || index >= count())
        return nullptr;
    return m_icons[size_t(index)].get();
}

AbstractSI* IndexedSet::byName(const QString& name) const {
    auto it = std::lower_bound(m_sorted.begin(), m_sorted.end(), name, [this](int index, const QString& key) {
        return compareNames(m_icons[size_t(index)]->name(), key) < 0;
    });
    if (it == m_sorted.end() || compareNames(m_icons[size_t(*it)]->name(), name) != 0)
        return nullptr;
    return m_icons[size_t(*it)].get();
}

AbstractSI* IndexedSet::add(std::unique_ptr<AbstractSI> icon) {
    if (!icon)
        return nullptr;
    const int index = count();
    const QString name = icon->name();
    m_icons.push_back(std::move(icon));
    // After any icons of the same name, so that lookups keep finding the first.
    auto it = std::upper_bound(m_sorted.begin(), m_sorted.end(), name, [this](const QString& key, int i) {
        return compareNames(key, m_icons[size_t(i)]->name()) < 0;
    });
    m_sorted.insert(it, index);
    return m_icons.back().get();
}

int IndexedSet::indexOf(const AbstractSI* icon) const {
    for (size_t i = 0; i < m_icons.size(); ++i) {
        if (m_icons[i].get() == icon)
            return int(i);
    }
    return -1;
}

void IndexedSet::clear() {
    m_sorted.clear();
    m_icons.clear();
}

namespace {

void fillFromDirectory(IndexedSet& set) {
    const QString directory = Singletons::Paths::instance().symbolDirectory();
    const QDir dir(directory);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        if (name.startsWith(QLatin1Char('.')))
            continue;
        // Pictures too large for a symbol are left out silently.
        if (std::unique_ptr<DefaultSI> icon = loadIcon(dir.path() + QLatin1Char('/'), name))
            set.add(std::move(icon));
    }
}

IndexedSet& directorySet() {
    static IndexedSet set;
    return set;
}

bool g_filled = false;

} // namespace

IndexedSet& FromPath::instance() {
    IndexedSet& set = directorySet();
    if (!g_filled) {
        g_filled = true;
        fillFromDirectory(set);
    }
    return set;
}

void FromPath::reload() {
    directorySet().clear();
    g_filled = false;
}

IndexedSet& FromPathAndPseudo::instance() {
    static IndexedSet set;
    return set;
}

} // namespace Set

int iconCount() {
    return Set::FromPath::instance().count();
}

AbstractSI* iconAt(int index) {
    return Set::FromPath::instance().at(index);
}

AbstractSI* iconByName(const QString& name) {
    return Set::FromPath::instance().byName(name);
}

AbstractSI* resolveIcon(const QString& name, bool createPlaceholder) {
    Set::IndexedSet& directory = Set::FromPath::instance();
    if (AbstractSI* icon = directory.byName(name))
        return icon;
    if (!name.isEmpty()) {
        if (std::unique_ptr<DefaultSI> loaded = loadIcon(QString(), name))
            return directory.add(std::move(loaded));
    }
    Set::IndexedSet& placeholders = Set::FromPathAndPseudo::instance();
    if (AbstractSI* icon = placeholders.byName(name))
        return icon;
    if (!createPlaceholder)
        return nullptr;
    return placeholders.add(std::make_unique<PseudoSI>(name));
}

} // namespace SymbolIcon
