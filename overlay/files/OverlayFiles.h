#pragma once

#include <QString>

#include <functional>

class QWidget;
class TZeichnenAuswahlFrame;

// Loading and saving the element tree of the drawing page, and the overlay
// file's part in start-up and shutdown.
namespace UserDraw {

class CustomColourList;

// Replaces the frame's tree by the content of the file, read by the loader
// its extension names. True on success: the root is expanded, the change
// count cleared and the map repainted. On failure the tree is left empty.
// Syntax errors of the file are raised (XML_Error, XML_EndOfInput) and leave
// what was read so far.
bool loadFile(TZeichnenAuswahlFrame& frame, const QString& fileName);
bool loadFile(TZeichnenAuswahlFrame& frame, const QString& fileName, CustomColourList* colours);

// "Speichern": the save dialog until a name with a known extension is given
// (and its format agreed to), then the tree is written. True when the file
// was saved; a file that could not be written is reported and an existing
// file of that name is kept unchanged.
bool saveOverlay(TZeichnenAuswahlFrame& frame, QWidget* parent);
// Saves without the dialog.
bool saveToFile(TZeichnenAuswahlFrame& frame, const QString& fileName, QWidget* parent);

// "Laden": asks before an existing tree is replaced, then the open dialog
// and loadFile; a failure is reported.
void loadOverlay(TZeichnenAuswahlFrame& frame, QWidget* parent);

// The selection frame of the drawing page. The drawing module attaches it
// when it creates it; the start-up autoload ("autoload.qvo" in the data
// directory, else the setting "LastOverlayPathName") runs once both the frame
// is attached and the overlay file module has started, whichever comes last.
void attachFrame(TZeichnenAuswahlFrame* frame);
TZeichnenAuswahlFrame* attachedFrame();
// Makes the frame when the drawing page has not created it yet (a file
// named on the command line needs it); set by the drawing module.
void setFrameProvider(std::function<TZeichnenAuswahlFrame*()> provider);

// The overlay file module has started (its start-up step calls this): the
// autoload runs now if the frame is attached already.
void markStarted();
// The attached frame, else the one the provider makes; none without either.
TZeichnenAuswahlFrame* frameForOpening();
// Forgets frame, provider and start (tests run the start-up more than once).
void resetFrameLink();

// The start-up autoload on the frame; silent. True when a file was loaded.
bool autoload(TZeichnenAuswahlFrame& frame);

// The close query of the drawing page: 0 without unsaved changes; otherwise
// the question "Es sind noch ungespeicherte Änderungen vorhanden.…" with
// Yes (save; 6 when saved, else 7), No (6) and Cancel (7).
int closeQuery(TZeichnenAuswahlFrame* frame, QWidget* parent);

} // namespace UserDraw
