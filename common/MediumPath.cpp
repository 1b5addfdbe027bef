#include "MediumPath.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace MediumPath {
namespace {

// The entry of `dir` named `name` in any case, or an empty string.
QString matchEntry(const QString& dir, const QString& name) {
    if (QFileInfo::exists(dir + QLatin1Char('/') + name))
        return name;
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

} // namespace

QString resolve(const QString& root, const QString& relative) {
    QString current;
    QString rest = relative;
    if (relative.startsWith(QLatin1Char('/'))) {
        current = QStringLiteral("/");
    } else {
        current = root.isEmpty() ? QStringLiteral(".") : root;
        if (!QFileInfo(current).isDir())
            return {};
    }
    const QStringList parts = rest.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (part == QLatin1String("."))
            continue;
        QString next;
        if (part == QLatin1String("..")) {
            next = part;
        } else {
            next = matchEntry(current, part);
            if (next.isEmpty())
                return {};
        }
        current = current.endsWith(QLatin1Char('/')) ? current + next : current + QLatin1Char('/') + next;
    }
    return current;
}

QString resolve(const QString& path) {
    if (path.isEmpty())
        return {};
    if (QFileInfo::exists(path))
        return path;
    if (path.startsWith(QLatin1Char('/')))
        return resolve(QString(), path);
    return resolve(QStringLiteral("."), path).mid(2);
}

std::string resolve(const std::string& root, const std::string& relative) {
    return resolve(QString::fromStdString(root), QString::fromStdString(relative)).toStdString();
}

std::string resolve(const std::string& path) {
    return resolve(QString::fromStdString(path)).toStdString();
}

} // namespace MediumPath
