#pragma once

#include <QString>

#include <cstdint>

class PrintObject;
class QPainter;
class QRect;
class QWidget;
class TPrintMapWindowDialog;

// A hook into the printing of the map window, held by the print module. Every
// operation has a default that lets printing go on unchanged.
class PrintMapWindowListener {
public:
    virtual ~PrintMapWindowListener();
    virtual bool MayPrint() { return true; }
    // A panel shown in the dialog below the subtitle; none by default.
    virtual QWidget* ExtraDialogPanel(TPrintMapWindowDialog& dialog);
    virtual void BeforePrinting(PrintObject& print);
    virtual void PagePrinted(QPainter& canvas, const QRect& page);
    virtual void AfterPrinting(QPainter& canvas);
};

// The settings of printing the map window; one instance, created at start-up.
class PrintModule {
public:
    PrintModule();
    ~PrintModule();

    // None before start-up created it.
    static PrintModule* instance();

    // The print action: brings the map page to the front, asks what to print
    // and prints. False when the print listener refused.
    bool Print();

    // The menu path of the print action, by the own-menu switch.
    QString MenuPath() const;

    QString RightsLine;                    // first line of every margin text
    QString SubTitle;                      // last subtitle entered
    std::int32_t PaperWidth = 2147483647;  // mm; used as 16 bits: no limit
    std::int32_t PaperHeight = 2147483647; // mm
    bool ContentModeAllowed = true;        // the window content may be printed
    bool ScaleModeAllowed = true;          // a scale around the centre may be printed
    std::int32_t DefaultScale = 25000;     // denominator when none is given
    std::int32_t MinScale = 0;             // lowest denominator accepted
    std::int32_t MaxScale = 2147483647;    // highest denominator accepted
    bool ScaleBarDefault = true;           // initial state of the scale bar check box
    bool ScaleBarOptionShown = true;       // the check box is offered
    bool SubTitleShown = false;            // the subtitle field is offered
    bool OwnMenu = false;                  // "&Drucken|&Karte..." instead of the map menu

    // Not owned; none installed by the program itself.
    PrintMapWindowListener* Listener = nullptr;

    // The scale the dialog starts with: the print scale of the current map
    // of the sequence, else the default.
    std::int32_t InitialScale() const;
    // The margin text of a print: rights line and subtitle, trimmed.
    QString MarginText(const QString& subTitle) const;
};
