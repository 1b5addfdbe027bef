#pragma once

#include <QString>

#include <cstdio>
#include <memory>
#include <vector>

class QWidget;
class XML_StreamTarget;

// The file formats the drawing page saves to and loads from. Two process-wide
// lists, filled once at start-up: the loaders (GPX, then QVO) and the savers
// (GPX, then QVO). A file name picks its format by the text after its last
// dot, compared in lower case; the dialogs offer the formats in list order.
namespace UserDraw {

// One output format. A save runs open → write the overlay stream into the
// target → close(true) on the target → finish.
//
// Saving never destroys the file it replaces: open writes into a new file
// beside the target, and finish puts it in the target's place only when the
// stream was complete and every byte reached the disk. Until then the old
// file stays as it was; a failed save removes the new file.
class FileSaver {
public:
    // `extension` without the dot; stored in lower case.
    explicit FileSaver(const QString& extension);
    FileSaver(const FileSaver&) = delete;
    FileSaver& operator=(const FileSaver&) = delete;
    virtual ~FileSaver();

    const QString& extension() const { return m_extension; }

    // Dialog filter in the form "Description (*.ext)|*.ext".
    virtual QString filter() const = 0;
    // True when the text after `dotPosition` (the position of the last dot)
    // equals the extension in lower case.
    virtual bool matches(const QString& fileName, qsizetype dotPosition) const;
    // Asked before saving in this format; false sends the user back to the
    // save dialog.
    virtual bool confirm(QWidget* parent) const;
    // The target to write the overlay stream into; none when the file cannot
    // be written.
    virtual std::unique_ptr<XML_StreamTarget> open(const QString& fileName) = 0;
    // Destroys the target (closing its file) and, when `ok`, puts the new file
    // in place of `fileName`. True when `fileName` now holds the new content.
    virtual bool finish(const QString& fileName, bool ok, std::unique_ptr<XML_StreamTarget> target);

protected:
    // Opens a new file in the directory of `fileName` for writing and
    // remembers it for finish(); null when it cannot be created.
    std::FILE* openReplacement(const QString& fileName);

private:
    QString m_extension;
    QString m_replacement; // the new file of the save in progress
    QString m_target;      // the file it replaces (a link resolved)
    bool m_direct = false; // writing straight into a device or pipe
};

// One input format.
class FileLoader {
public:
    explicit FileLoader(const QString& extension);
    FileLoader(const FileLoader&) = delete;
    FileLoader& operator=(const FileLoader&) = delete;
    virtual ~FileLoader();

    const QString& extension() const { return m_extension; }

    virtual QString filter() const = 0;
    virtual bool matches(const QString& fileName, qsizetype dotPosition) const;
    // Reads the file as an overlay element stream into `treeTarget`; false
    // when the file cannot be opened or its elements are not balanced.
    // Syntax errors of the file are raised (XML_Error, XML_EndOfInput).
    virtual bool load(const QString& fileName, XML_StreamTarget& treeTarget) = 0;

private:
    QString m_extension;
};

namespace FileTypes {

// Appended at the end of their list.
void addSaver(std::unique_ptr<FileSaver> saver);
void addLoader(std::unique_ptr<FileLoader> loader);
const std::vector<std::unique_ptr<FileSaver>>& savers();
const std::vector<std::unique_ptr<FileLoader>>& loaders();
// Empties both lists (tests).
void clear();

// Registers the standard formats in start-up order (loaders GPX, QVO, then
// savers GPX, QVO) unless they are registered already; for programs and tests
// that do not run the viewer's start-up.
void registerStandardFormats();

// The entries' filters joined with "|", in list order.
QString combinedSaveFilter();
QString combinedLoadFilter();
// A "Text (*.x)|*.x|…" filter in the form of the Qt file dialogs
// ("Text (*.x);;…").
QString dialogFilter(const QString& combinedFilter);

// The first entry whose extension matches the text after the last dot;
// none when nothing matches or the name has no dot.
FileSaver* saverFor(const QString& fileName);
FileLoader* loaderFor(const QString& fileName);

} // namespace FileTypes
} // namespace UserDraw
