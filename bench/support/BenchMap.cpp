#include "BenchMap.h"

#include "TolmWindow.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>
#include <vector>

namespace BenchMap {

QApplication& application(const char* name) {
    static int argc = 1;
    static std::string program = name;
    static char* argv[] = {program.data(), nullptr};
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

QString writePatternMap(const Georeference& georef) {
    static QTemporaryDir* dir = new QTemporaryDir;
    TlmWriter::Options o;
    o.variant = TlmWriter::Variant::C;
    o.compression = TlmWriter::RunLength;
    o.bitCount = 8;
    o.georef = georef;
    for (int i = 0; i < 256; ++i)
        o.palette.push_back(RgbQuad{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0});
    static int written = 0;
    const QString path = dir->filePath(QStringLiteral("pattern%1.tlm").arg(++written));
    TlmWriter writer(QFile::encodeName(path).toStdString(), Width, Height, o);
    if (!writer.begin())
        return QString();
    std::vector<uint8_t> row(Width);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x)
            row[size_t(x)] = uint8_t((x / (3 + (y / 40) % 13) + y / 17) & 0xFF);
        if (!writer.writeRows(row.data(), 1, row.size()))
            return QString();
    }
    return writer.finish() ? path : QString();
}

TTolmWindow* openWindow(const QString& map, double zoom) {
    application();
    auto* w = new TTolmWindow;
    w->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    w->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    w->resize(ClientWidth, ClientHeight);
    w->show();
    w->SetPathName(map, false);
    w->setZoomFactor(zoom);
    return w;
}

} // namespace BenchMap
