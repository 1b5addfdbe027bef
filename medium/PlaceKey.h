#pragma once

#include <QString>

// The keys of the place tables are names in capitals, and the place search
// compares them with the typed text in capitals. Both are 8-bit Windows-1252
// text, so the capitals are made character by character: a letter keeps its
// place and length, and one whose capital the code page lacks (ß, µ) stays
// as it is, so "Großau" and "großau" both become "GROßAU".
namespace PlaceKey {

QString upper(const QString& text);

} // namespace PlaceKey
