// vistrel-tool hdb-find: a key search in an HDB file.
#include "ToolCommand.h"

#include "HdbArgs.h"
#include "PlaceKey.h"
#include "ToolArgs.h"

#include <Cp1252.h>
#include <HDBFile.h>
#include <HDBRecords.h>
#include <HDBTsv.h>

#include <charconv>
#include <iostream>

namespace {

// The search key: the text in Windows-1252 (for a prefix in capitals, as the
// place search compares it), or for a file keyed by an integer field the
// number's bytes, most significant first.
bool makeKey(const HDBFile& file, const std::string& text, bool prefix, std::string& key) {
    const RowField* first = file.field(1);
    if (first && first->typeCode() == 'd') {
        unsigned long value = 0;
        const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
        if (res.ec != std::errc() || res.ptr != text.data() + text.size())
            return false;
        key.assign(first->size(), '\0');
        for (std::size_t k = 0; k < first->size(); ++k)
            key[first->size() - 1 - k] = char(std::uint8_t(value >> (8 * k)));
        return true;
    }
    const QString typed = QString::fromStdString(text);
    key = Cp1252::encode(prefix ? PlaceKey::upper(typed) : typed);
    return true;
}

int run(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    std::string codeword = HdbArgs::standardCodeWord();
    bool prefix = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--codeword" && i + 1 == args.size())
            return ToolArgs::missingValue("hdb-find", args[i]);
        if (args[i] == "--codeword")
            codeword = args[++i];
        else if (args[i] == "--prefix")
            prefix = true;
        else if (args[i].rfind("--", 0) != 0)
            positional.push_back(args[i]);
        else
            return ToolCommand::usage("hdb-find");
    }
    if (positional.size() != 2)
        return ToolCommand::usage("hdb-find");
    const std::string& path = positional[0];
    HDBRecords cursor(HDBFile::open(path, Cp1252::encode(QString::fromStdString(codeword))));
    if (!cursor.file()->isOpen()) {
        HdbArgs::reportUnreadable("hdb-find", path, codeword);
        return 1;
    }
    std::string key;
    if (!makeKey(*cursor.file(), positional[1], prefix, key)) {
        std::cerr << "hdb-find: the file is keyed by an integer; \"" << positional[1] << "\" is not one\n";
        return 2;
    }
    const std::string header = "RecNo\t" + HDBTsv::headerLine(cursor) + '\n';
    if (!prefix) {
        if (!cursor.findNearest(key, true)) {
            std::cerr << "hdb-find: no record at or after the key\n";
            return 1;
        }
        std::cout << header << cursor.recNo() << '\t' << HDBTsv::recordLine(cursor) << '\n';
        return 0;
    }
    if (!cursor.findNearest(key, false)) {
        std::cerr << "hdb-find: no record with this prefix\n";
        return 1;
    }
    const int first = cursor.recNo();
    const int end = cursor.findAfter(key) ? cursor.recNo() : cursor.recordCount() + 1;
    std::cout << header;
    for (int r = first; r < end; ++r) {
        if (!cursor.seek(r)) {
            std::cerr << "hdb-find: record " << r << " cannot be read (damaged file)\n";
            return 1;
        }
        std::cout << r << '\t' << HDBTsv::recordLine(cursor) << '\n';
    }
    return 0;
}

ToolCommand::Registration reg{"hdb-find", "FILE KEY [--codeword W] [--prefix]",
                              "prints the first record not smaller than KEY, or with --prefix all records starting "
                              "with KEY in capitals, as the place search compares it (\"groß\" finds \"GROßAU\"); a "
                              "number for integer-keyed files; " +
                                  HdbArgs::codewordHelp(),
                              &run};

} // namespace
