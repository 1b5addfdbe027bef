#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <functional>

// Small helpers for the frame's tests: files of a data medium, waiting for
// the event loop.
namespace TestSupport {

inline bool writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(content) == content.size();
}

// A data medium below root: KARTEN/CD.TXT with the text and an (empty)
// regional map of that name.
inline void makeMedium(const QString& root, const QByteArray& cdText, const QString& regionalMap = "AREA1330.TLM") {
    if (!cdText.isNull())
        writeFile(root + "/KARTEN/CD.TXT", cdText);
    if (!regionalMap.isEmpty())
        writeFile(root + "/KARTEN/" + regionalMap, QByteArray());
}

// Runs the event loop until the condition holds (at most `rounds` passes).
bool processUntil(const std::function<bool()>& condition, int rounds = 200);

} // namespace TestSupport
