#pragma once

#include <QString>

#include <string>

class THDBDataSet;

// The place tables keep their names in capitals, 8-bit Windows-1252. A typed
// text becomes a key by upper-casing it letter by letter into that code page,
// so "mü" becomes "MÜ" (0x4D 0xDC). The sharp s has no capital of its own
// there: tables built with a full upper-casing spell it "SS", others keep
// "ß"; both spellings are tried and the one the table uses wins.
namespace PlaceSearchKey {

// The key with "ß" kept (sharpSAsSS false) or written "SS".
std::string upperKey(const QString& text, bool sharpSAsSS);

// Moves the data set to the first place whose key is not smaller than the
// typed text in capitals; an empty text does nothing. True when the data set
// stands on a place whose key begins with the text.
bool findPlace(THDBDataSet& dataSet, const QString& text);

} // namespace PlaceSearchKey
