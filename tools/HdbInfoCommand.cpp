// vistrel-tool hdb-info: the structure of an HDB database file.
#include "ToolCommand.h"

#include "HdbArgs.h"
#include "ToolArgs.h"

#include <Cp1252.h>
#include <HDBFile.h>
#include <HDBTsv.h>

#include <iomanip>
#include <iostream>

namespace {

const char* className(const RowField& f) {
    switch (f.typeCode()) {
    case 'd':
        return "IntegerField";
    case 'f':
        return "NumberStringField";
    default:
        return "StringField";
    }
}

int run(const std::vector<std::string>& args) {
    std::string path;
    std::string codeword = HdbArgs::standardCodeWord();
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--codeword" && i + 1 == args.size())
            return ToolArgs::missingValue("hdb-info", args[i]);
        if (args[i] == "--codeword")
            codeword = args[++i];
        else if (path.empty() && args[i].rfind("--", 0) != 0)
            path = args[i];
        else
            return ToolCommand::usage("hdb-info");
    }
    if (path.empty())
        return ToolCommand::usage("hdb-info");
    auto file = HDBFile::open(path, Cp1252::encode(QString::fromStdString(codeword)));
    if (!file->isOpen()) {
        HdbArgs::reportUnreadable("hdb-info", path, codeword);
        return 1;
    }
    std::cout << "file: " << path << '\n'
              << "records: " << file->recordCount() << '\n'
              << "record size: " << file->recordSize() << " bytes\n"
              << "tree depth: " << file->treeDepth() << '\n'
              << "root page: " << file->rootOffset() << '\n'
              << "fields: " << file->fieldCount() << '\n';
    std::cout << "  #  name                kind               offset  size  definition\n";
    for (int i = 1; i <= file->fieldCount(); ++i) {
        const RowField& f = *file->field(i);
        std::cout << std::setw(3) << i << "  " << std::left << std::setw(18) << Cp1252::decode(f.name()).toStdString()
                  << "  " << std::setw(17) << className(f) << std::right << "  " << std::setw(6) << f.offset() << "  "
                  << std::setw(4) << f.size() << "  " << HDBTsv::fieldSpec(f.definition()) << '\n';
    }
    return 0;
}

ToolCommand::Registration reg{"hdb-info", "FILE [--codeword W]",
                              "prints the fields (kind, offset, size), record count and tree depth of an HDB file; " +
                                  HdbArgs::codewordHelp(),
                              &run};

} // namespace
