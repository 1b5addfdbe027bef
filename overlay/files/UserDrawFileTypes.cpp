#include "UserDrawFileTypes.h"

#include "XML_StreamTarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace UserDraw {

namespace {

bool extensionMatches(const QString& extension, const QString& fileName, qsizetype dotPosition) {
    if (dotPosition < 0 || dotPosition >= fileName.size() || fileName.at(dotPosition) != QLatin1Char('.'))
        return false;
    return fileName.mid(dotPosition + 1).toLower() == extension;
}

// Position of the last dot, 0 when there is none.
qsizetype lastDot(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? 0 : dot;
}

std::vector<std::unique_ptr<FileSaver>>& saverList() {
    static std::vector<std::unique_ptr<FileSaver>> list;
    return list;
}

std::vector<std::unique_ptr<FileLoader>>& loaderList() {
    static std::vector<std::unique_ptr<FileLoader>> list;
    return list;
}

} // namespace

FileSaver::FileSaver(const QString& extension) : m_extension(extension.toLower()) {}

FileSaver::~FileSaver() {
    if (!m_replacement.isEmpty())
        QFile::remove(m_replacement);
}

bool FileSaver::matches(const QString& fileName, qsizetype dotPosition) const {
    return extensionMatches(m_extension, fileName, dotPosition);
}

bool FileSaver::confirm(QWidget*) const {
    return true;
}

std::FILE* FileSaver::openReplacement(const QString& fileName) {
    if (!m_replacement.isEmpty()) {
        QFile::remove(m_replacement);
        m_replacement.clear();
    }
    m_direct = false;
    QFileInfo target(fileName);
    if (target.fileName().isEmpty() || target.isDir())
        return nullptr;
    // A link is followed: the file it names gets the new content, the link stays.
    if (target.exists())
        target = QFileInfo(target.canonicalFilePath());
    const QByteArray targetPath = QFile::encodeName(target.absoluteFilePath());
    struct stat existing {};
    const bool exists = ::stat(targetPath.constData(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or pipe is written to as it is; there is nothing to keep.
        std::FILE* file = std::fopen(targetPath.constData(), "w");
        m_direct = file != nullptr;
        return file;
    }
    // A hidden name beside the target, so that the rename stays inside one
    // file system and is atomic.
    QByteArray pattern =
        QFile::encodeName(target.absolutePath() + QLatin1String("/.") + target.fileName() + QLatin1String(".XXXXXX"));
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return nullptr;
    // The new file gets the mode of the one it replaces, or that of a newly
    // created file.
    if (exists) {
        ::fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    std::FILE* file = ::fdopen(fd, "w");
    if (!file) {
        ::close(fd);
        ::unlink(pattern.constData());
        return nullptr;
    }
    m_replacement = QFile::decodeName(pattern);
    m_target = target.absoluteFilePath();
    return file;
}

bool FileSaver::finish(const QString& /*fileName*/, bool ok, std::unique_ptr<XML_StreamTarget> target) {
    target.reset();
    if (m_direct) {
        m_direct = false;
        return ok;
    }
    const QString replacement = m_replacement;
    m_replacement.clear();
    if (replacement.isEmpty())
        return false;
    const QByteArray from = QFile::encodeName(replacement);
    if (ok) {
        // The content must be on the disk before it takes the old file's place.
        const int fd = ::open(from.constData(), O_RDONLY);
        ok = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0)
            ::close(fd);
    }
    if (ok)
        ok = ::rename(from.constData(), QFile::encodeName(m_target).constData()) == 0;
    if (!ok)
        ::unlink(from.constData());
    return ok;
}

FileLoader::FileLoader(const QString& extension) : m_extension(extension.toLower()) {}

FileLoader::~FileLoader() = default;

bool FileLoader::matches(const QString& fileName, qsizetype dotPosition) const {
    return extensionMatches(m_extension, fileName, dotPosition);
}

namespace FileTypes {

void addSaver(std::unique_ptr<FileSaver> saver) {
    saverList().push_back(std::move(saver));
}

void addLoader(std::unique_ptr<FileLoader> loader) {
    loaderList().push_back(std::move(loader));
}

const std::vector<std::unique_ptr<FileSaver>>& savers() {
    return saverList();
}

const std::vector<std::unique_ptr<FileLoader>>& loaders() {
    return loaderList();
}

void clear() {
    saverList().clear();
    loaderList().clear();
}

QString combinedSaveFilter() {
    QStringList parts;
    for (const auto& saver : saverList())
        parts << saver->filter();
    return parts.join(QLatin1Char('|'));
}

QString combinedLoadFilter() {
    QStringList parts;
    for (const auto& loader : loaderList())
        parts << loader->filter();
    return parts.join(QLatin1Char('|'));
}

QString dialogFilter(const QString& combinedFilter) {
    const QStringList parts = combinedFilter.split(QLatin1Char('|'));
    QStringList descriptions;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        if (description.contains(QLatin1Char('(')))
            descriptions << description;
        else
            descriptions << description + QLatin1String(" (") + QString(parts[i + 1]).replace(';', ' ') +
                                QLatin1Char(')');
    }
    return descriptions.join(QLatin1String(";;"));
}

FileSaver* saverFor(const QString& fileName) {
    const qsizetype dot = lastDot(fileName);
    for (const auto& saver : saverList())
        if (saver->matches(fileName, dot))
            return saver.get();
    return nullptr;
}

FileLoader* loaderFor(const QString& fileName) {
    const qsizetype dot = lastDot(fileName);
    for (const auto& loader : loaderList())
        if (loader->matches(fileName, dot))
            return loader.get();
    return nullptr;
}

} // namespace FileTypes
} // namespace UserDraw
