#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

// Printing the map window from the command line, without a display:
//   vistrel --data DIR --print-pdf OUT.pdf [--scale N] [--centre E,N] [--map N]
//           [--landscape] [--dpi N]
// The program starts as usual on the data medium, shows its main window (on
// the offscreen platform when there is no display), shows map N of the
// sequence around the Gauss-Krüger position E,N, prints the view to the PDF
// file at 1 : N (0: the window content fitted to the page) and ends.
namespace BatchPrint {

struct Options {
    QString output;                // --print-pdf
    std::int32_t scale = 25000;    // --scale; 0 = the window content
    std::optional<double> easting; // --centre E,N (Gauss-Krüger metres)
    std::optional<double> northing;
    int map = 0;            // --map, 1-based; 0 = the map shown at start
    bool landscape = false; // --landscape: A4 lying
    int dpi = 600;          // --dpi
};

// True when the command line asks for a print (--print-pdf).
bool Requested(const QStringList& arguments);

// The print options of a command line; none, with a German message, when one
// of them is wrong. Options of the program itself (--data) are left alone.
std::optional<Options> Parse(const QStringList& arguments, QString& error);

// The whole batch run: start-up as the program does it, the main window
// shown, the print. The exit code: 0 after a written PDF, else non-zero
// with a German message on stderr. `beforePrint` runs once the window shows
// the requested view.
int Run(const QStringList& arguments, const std::function<void()>& beforePrint = {});

// Lets the toolkit lay the shown main window out, until the map window has
// kept its size for a few passes.
void WaitForLayout();

// Prints the view of the running program by the options; false with a
// German message when it failed.
bool PrintView(const Options& options, QString& error, const std::function<void()>& beforePrint = {});

} // namespace BatchPrint
