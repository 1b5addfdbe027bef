#include "TestMaps.h"
#include "velmar32.h"

#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct PrintHost {
    static std::string pdf;
    static int answer;
    static int32_t dialog(void*, void* printer) {
        auto* p = static_cast<QPrinter*>(printer);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(QString::fromStdString(pdf));
        p->setPageOrientation(QPageLayout::Landscape);
        p->setResolution(300);
        return answer;
    }
    static int paints;
    static int printDCs;
    static TLM_RECT rect;
    static int32_t callback(TLM_HWND window, uint32_t message, uintptr_t, intptr_t lParam) {
        if (message != TLM_WM_PAINT || window != 0)
            return 0;
        ++paints;
        const auto* ps = reinterpret_cast<const TLM_PAINTSTRUCT*>(lParam);
        printDCs += TLM_IsPrintDC(ps->hdc);
        TLM_DC_GetClientRect(ps->hdc, &rect);
        return 1;
    }
};
std::string PrintHost::pdf;
int PrintHost::answer = 1;
int PrintHost::paints = 0;
int PrintHost::printDCs = 0;
TLM_RECT PrintHost::rect;

// Renders page 1 of a PDF in grey at `dpi`; null when pdftoppm fails.
QImage render(const std::string& pdf, int dpi) {
    const QString prefix = QString::fromStdString(pdf + ".page");
    const int rc = QProcess::execute(QStringLiteral("pdftoppm"),
                                     {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"),
                                      QStringLiteral("-singlefile"), QString::fromStdString(pdf), prefix});
    if (rc != 0)
        return {};
    return QImage(prefix + QStringLiteral(".pgm")).convertToFormat(QImage::Format_Grayscale8);
}

// Page 1 of a PDF in colour at `dpi`; null when pdftoppm fails.
QImage renderColour(const std::string& pdf, int dpi) {
    const QString prefix = QString::fromStdString(pdf + ".colour");
    const int rc = QProcess::execute(QStringLiteral("pdftoppm"),
                                     {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                                      QStringLiteral("-singlefile"), QString::fromStdString(pdf), prefix});
    if (rc != 0)
        return {};
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// The test maps are blue-green; margin text and bar are black, white or grey.
bool isMapColour(QRgb c) {
    return qBlue(c) - qGreen(c) > 40;
}

// The box of all map-coloured pixels.
QRect mapBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isMapColour(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

// The longest horizontal run of black pixels in row y.
int longestRun(const QImage& image, int y) {
    int best = 0;
    int run = 0;
    for (int x = 0; x < image.width(); ++x) {
        run = qGray(image.pixel(x, y)) < 60 ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

// The longest runs of the rows [top, bottom).
std::vector<int> rowRuns(const QImage& image, int top, int bottom) {
    std::vector<int> runs;
    for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y)
        runs.push_back(longestRun(image, y));
    return runs;
}

TEST(Velmar32Print, ToPdfWithScaleBar) {
    TestMaps maps;
    const std::string path = maps.write("a.tlm", 600, 400);
    const TLM_HWND w =
        TLM_Wnd_Create("TolmGraphicWindow", nullptr, 0, reinterpret_cast<const void*>(&PrintHost::callback));
    static_cast<QWidget*>(TLM_Wnd_GetWidget(w))->resize(300, 200);
    ASSERT_EQ(TLM_Wnd_OpenFile(w, path.c_str()), 1);
    TLM_SetPrintDialogFunction(&PrintHost::dialog);

    // Cancelled: nothing printed, no message.
    PrintHost::pdf = maps.path("cancel.pdf");
    PrintHost::answer = 0;
    TLM_PRINTPARAMS params{nullptr, w, TLM_PRINT_SCALEBAR, "Erste Zeile\r\nZweite", 25000, 297, 210};
    EXPECT_EQ(TLM_Print(&params), 0);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(PrintHost::pdf)));

    PrintHost::answer = 1;
    PrintHost::pdf = maps.path("bar.pdf");
    PrintHost::paints = PrintHost::printDCs = 0;
    ASSERT_EQ(TLM_Print(&params), 1);
    EXPECT_EQ(PrintHost::paints, 1);
    EXPECT_EQ(PrintHost::printDCs, 1);
    // The map fills the printable page at 300 dpi (landscape A4 less margins).
    EXPECT_GT(PrintHost::rect.right - PrintHost::rect.left, 3000);
    EXPECT_GT(PrintHost::rect.bottom - PrintHost::rect.top, 2000);

    // 1:25000 with one metre per map pixel: 0.04 mm of paper per pixel. At
    // 300 dpi the segments (500 m = 20 mm) are about 236 pixels wide: at
    // 50 dpi about 39 pixels of black or white in the bottom band.
    const QImage page = render(PrintHost::pdf, 50);
    ASSERT_FALSE(page.isNull()) << "pdftoppm";
    // Inside the bar black and white segments alternate; its outline runs
    // along all of them.
    const std::vector<int> runs = rowRuns(page, page.height() * 3 / 4, page.height());
    const int segment =
        *std::max_element(runs.begin(), runs.end(), [](int a, int b) { return (a > 100 ? 0 : a) < (b > 100 ? 0 : b); });
    EXPECT_GE(segment, 30);
    EXPECT_LE(segment, 100);
    const int outline = *std::max_element(runs.begin(), runs.end());
    EXPECT_GE(outline, 4 * segment);
    // The margin text stands above the bar, not hidden under its block.
    const int barTop = page.height() * 3 / 4 + int(std::find(runs.begin(), runs.end(), outline) - runs.begin());
    int textAbove = 0;
    for (int y = barTop - 24; y < barTop - 2; ++y)
        for (int x = page.width() / 3; x < page.width() * 2 / 3; ++x)
            textAbove += qGray(page.pixel(x, y)) < 100;
    EXPECT_GT(textAbove, 10);

    // Without the flag only the scale line: no long black run.
    params.flags = 0;
    PrintHost::pdf = maps.path("text.pdf");
    ASSERT_EQ(TLM_Print(&params), 1);
    const QImage plain = render(PrintHost::pdf, 50);
    ASSERT_FALSE(plain.isNull());
    const std::vector<int> textRuns = rowRuns(plain, plain.height() * 3 / 4, plain.height());
    EXPECT_LT(*std::max_element(textRuns.begin(), textRuns.end()), 20);
    // Some text was drawn near the bottom.
    EXPECT_GT(*std::max_element(textRuns.begin(), textRuns.end()), 0);

    TLM_SetPrintDialogFunction(nullptr);
    delete static_cast<QWidget*>(TLM_Wnd_GetWidget(w));
}

// The margin has a band of its own below the map: the bar, its caption and
// the text lines neither cover the map nor pass the page edge, at a given
// scale and fitted to the page.
TEST(Velmar32Print, MarginBelowTheMapAndInsideThePage) {
    TestMaps maps;
    const std::string path = maps.write("big.tlm", 2400, 1600);
    const TLM_HWND w =
        TLM_Wnd_Create("TolmGraphicWindow", nullptr, 0, reinterpret_cast<const void*>(&PrintHost::callback));
    static_cast<QWidget*>(TLM_Wnd_GetWidget(w))->resize(400, 300);
    ASSERT_EQ(TLM_Wnd_OpenFile(w, path.c_str()), 1);
    TLM_SetPrintDialogFunction(&PrintHost::dialog);
    PrintHost::answer = 1;

    for (const double scale : {10000.0, 0.0}) {
        PrintHost::pdf = maps.path(scale > 0 ? "scale.pdf" : "fit.pdf");
        TLM_PRINTPARAMS params{nullptr, w, TLM_PRINT_SCALEBAR, "Erste Zeile\nZweite Zeile", scale, 297, 210};
        ASSERT_EQ(TLM_Print(&params), 1) << scale;
        const QImage page = renderColour(PrintHost::pdf, 50);
        ASSERT_FALSE(page.isNull()) << "pdftoppm";
        const QRect map = mapBox(page);
        ASSERT_FALSE(map.isEmpty()) << scale;
        // Nothing dark lies beside the map or right of it, and below the
        // map nothing of the map: every dark pixel of the margin (text, bar)
        // is below the map's bottom edge and within its right edge.
        int darkBelow = 0;
        for (int y = 0; y < page.height(); ++y) {
            for (int x = 0; x < page.width(); ++x) {
                const QRgb c = page.pixel(x, y);
                if (isMapColour(c) || qGray(c) > 100)
                    continue;
                if (map.contains(x, y))
                    continue; // the map's own dark pixels
                EXPECT_GT(y, map.bottom()) << scale << " dark pixel beside the map at " << x << ',' << y;
                EXPECT_LE(x, std::max(map.right(), page.width() * 19 / 20))
                    << scale << " margin beyond the page edge at " << x << ',' << y;
                ++darkBelow;
                if (HasFailure())
                    return;
            }
        }
        // The bar (a long black outline) stands below the map.
        const std::vector<int> runs = rowRuns(page, map.bottom() + 1, page.height());
        EXPECT_GT(*std::max_element(runs.begin(), runs.end()), page.width() / 4) << scale;
        EXPECT_GT(darkBelow, 100) << scale;
        if (scale == 0) {
            // Fitted: the window's 4:3 fills the page in one direction.
            EXPECT_NEAR(double(map.width()) / map.height(), 4.0 / 3.0, 0.05);
            EXPECT_GT(map.height(), page.height() * 3 / 4);
        } else {
            // At a scale the printed area is centred on the window's centre
            // near the map's top left corner: the map reaches the right
            // edge of the printable area.
            EXPECT_GT(map.right(), page.width() * 9 / 10);
        }
    }
    TLM_SetPrintDialogFunction(nullptr);
    delete static_cast<QWidget*>(TLM_Wnd_GetWidget(w));
}

} // namespace
