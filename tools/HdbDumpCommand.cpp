// vistrel-tool hdb-dump: the records of an HDB file as tab-separated text.
#include "ToolCommand.h"

#include "HdbArgs.h"
#include "ToolArgs.h"

#include <Cp1252.h>
#include <HDBFile.h>
#include <HDBRecords.h>
#include <HDBTsv.h>

#include <charconv>
#include <iostream>

namespace {

bool number(const std::string& s, long long& out) {
    const auto res = std::from_chars(s.data(), s.data() + s.size(), out);
    return res.ec == std::errc() && res.ptr == s.data() + s.size();
}

int run(const std::vector<std::string>& args) {
    std::string path;
    std::string codeword = HdbArgs::standardCodeWord();
    long long from = 1;
    long long count = -1;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--codeword" || a == "--from" || a == "--count") && i + 1 == args.size())
            return ToolArgs::missingValue("hdb-dump", a);
        if (a == "--codeword") {
            codeword = args[++i];
        } else if (a == "--from") {
            if (!number(args[++i], from) || from < 1)
                return ToolArgs::badValue("hdb-dump", a, args[i], "must be a record number, 1 or more");
        } else if (a == "--count") {
            if (!number(args[++i], count) || count < 0)
                return ToolArgs::badValue("hdb-dump", a, args[i], "must be a whole number of records, 0 or more");
        } else if (path.empty() && args[i].rfind("--", 0) != 0) {
            path = args[i];
        } else {
            return ToolCommand::usage("hdb-dump");
        }
    }
    if (path.empty())
        return ToolCommand::usage("hdb-dump");
    HDBRecords cursor(HDBFile::open(path, Cp1252::encode(QString::fromStdString(codeword))));
    if (!cursor.file()->isOpen()) {
        HdbArgs::reportUnreadable("hdb-dump", path, codeword);
        return 1;
    }
    std::cout << HDBTsv::headerLine(cursor) << '\n';
    const long long last =
        count < 0 ? cursor.recordCount() : std::min<long long>(cursor.recordCount(), from + count - 1);
    for (long long r = from; r <= last; ++r) {
        if (!cursor.seek(int(r))) {
            std::cerr << "hdb-dump: " << path << ": record " << r << " cannot be read (damaged file)\n";
            return 1;
        }
        std::cout << HDBTsv::recordLine(cursor) << '\n';
    }
    return std::cout.good() ? 0 : 1;
}

ToolCommand::Registration reg{"hdb-dump", "FILE [--codeword W] [--from N] [--count N]",
                              "prints records of an HDB file as tab-separated text, field names as header; from "
                              "record N (1 or more), N records (0 or more; default all); " +
                                  HdbArgs::codewordHelp(),
                              &run};

} // namespace
