#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

#include <optional>

// The program's own pictures: module bitmaps (24 x 24, 16 colours), cursors
// and the program icon. Resource names are matched without regard to case;
// they are stored in upper case (MODUL_FUNCTION_ZOOM_PLUS).
namespace AppResources {

// The module bitmap of that name; a null image when there is none.
QImage bitmap(const QString& name);
bool hasBitmap(const QString& name);

// The bitmap with its transparent colour (the colour of its lower-left pixel)
// made see-through.
QPixmap transparentPixmap(const QImage& image);

// The cursor of that name with its hot spot; nothing when there is none.
std::optional<QCursor> cursor(const QString& name);

QIcon programIcon();
QPixmap programPixmap();

} // namespace AppResources
