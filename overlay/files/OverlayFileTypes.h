#pragma once

#include "UserDrawFileTypes.h"

#include <cstdio>

// The four overlay file formats of the drawing page.
namespace Modul::UserDraw::FileTypes {

class SaveQVO : public ::UserDraw::FileSaver {
public:
    SaveQVO();
    QString filter() const override;
    std::unique_ptr<XML_StreamTarget> open(const QString& fileName) override;
};

class SaveGPX : public ::UserDraw::FileSaver {
public:
    SaveGPX();
    QString filter() const override;
    // The question that GPX keeps only names and positions.
    bool confirm(QWidget* parent) const override;
    std::unique_ptr<XML_StreamTarget> open(const QString& fileName) override;
};

class LoadQVO : public ::UserDraw::FileLoader {
public:
    LoadQVO();
    QString filter() const override;
    bool load(const QString& fileName, XML_StreamTarget& treeTarget) override;
};

class LoadGPX : public ::UserDraw::FileLoader {
public:
    LoadGPX();
    QString filter() const override;
    bool load(const QString& fileName, XML_StreamTarget& treeTarget) override;
};

// Whether the XML declaration at the start of `file` names UTF-8, or names no
// coding at all (XML's default); the file is read from its start again after.
bool declaresUtf8(std::FILE* file);

} // namespace Modul::UserDraw::FileTypes
