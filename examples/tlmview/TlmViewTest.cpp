// tlmview printing a 1:250 000 overview to PDF as a user does: the map of
// the window, fitted to the page, with the scale that results.
#include "TlmWriter.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

// The programs of the same build: named by the test environment, else beside
// this test program's folder (build/<preset>/tests → build/<preset>/bin).
QString binary(const char* name) {
    if (const char* dir = std::getenv("VISTREL_BIN_DIR"))
        return QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name);
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return QString::fromStdString((self.parent_path().parent_path() / "bin" / name).string());
}

// An overview map of 25 m pixels in strip 3, 3000 × 2000 pixels.
std::string writeOverview(const QTemporaryDir& dir) {
    TlmWriter::Options o;
    o.variant = TlmWriter::Variant::C;
    o.tileWidth = 256;
    o.tileHeight = 256;
    o.bitCount = 8;
    for (int i = 0; i < 256; ++i)
        o.palette.push_back(RgbQuad{uint8_t(255 - i / 2), uint8_t(200), uint8_t(i), 0});
    o.georef.kind = 1;
    o.georef.zone = 3;
    o.georef.r[0] = 3400000;
    o.georef.r[1] = 3400000 + 3000 * 25.0;
    o.georef.r[2] = 5600000;
    o.georef.r[3] = 5600000 - 2000 * 25.0;
    std::vector<uint8_t> pixels(3000 * 2000);
    for (int y = 0; y < 2000; ++y)
        for (int x = 0; x < 3000; ++x)
            pixels[std::size_t(y) * 3000 + std::size_t(x)] = uint8_t((x / 40 + y / 40) % 256);
    const std::string path = dir.filePath(QStringLiteral("UEB_0250.TLM")).toStdString();
    std::string error;
    EXPECT_TRUE(TlmWriter::write(path, 3000, 2000, pixels.data(), 3000, o, &error)) << error;
    return path;
}

} // namespace

TEST(TlmView, PrintsTheWindowFittedToThePage) {
    QTemporaryDir dir;
    const std::string map = writeOverview(dir);
    const QString pdf = dir.filePath(QStringLiteral("karte.pdf"));
    QProcess view;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    view.setProcessEnvironment(env);
    view.start(binary("tlmview"),
               {QStringLiteral("--pdf"), pdf, QStringLiteral("--print"), QString::fromStdString(map)});
    ASSERT_TRUE(view.waitForFinished(120000)) << "tlmview did not finish";
    ASSERT_EQ(view.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(view.exitCode(), 0) << view.readAllStandardError().toStdString();

    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000)) << "pdftotext";
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(page.contains(QStringLiteral("Maßstab"))) << page.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("tlmview"))) << page.toStdString();
    // The window (800 × 600 less menu, status line and scroll bars) shows
    // about 19 × 13 km of 25 m pixels; fitted to a landscape A4 page that is
    // a scale between 1:50 000 and 1:120 000, not a fixed 1:25 000 that
    // would print only an enlarged part of it.
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("1:(\\d+)")).match(page);
    ASSERT_TRUE(m.hasMatch()) << page.toStdString();
    const long scale = m.captured(1).toLong();
    EXPECT_GT(scale, 50000);
    EXPECT_LT(scale, 120000);
}

TEST(TlmView, PrintWithoutPdfOrMapIsAUsageError) {
    QProcess view;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    view.setProcessEnvironment(env);
    view.start(binary("tlmview"), {QStringLiteral("--print")});
    ASSERT_TRUE(view.waitForFinished(60000));
    EXPECT_EQ(view.exitCode(), 2);
}
