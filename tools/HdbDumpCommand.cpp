// vistrel-tool hdb-dump: the records of an HDB file as tab-separated text.
#include "ToolCommand.h"

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
    std::string codeword;
    long long from = 1;
    long long count = -1;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--codeword" && i + 1 < args.size()) {
            codeword = args[++i];
        } else if (args[i] == "--from" && i + 1 < args.size()) {
            if (!number(args[++i], from) || from < 1)
                return ToolCommand::usage("hdb-dump");
        } else if (args[i] == "--count" && i + 1 < args.size()) {
            if (!number(args[++i], count) || count < 0)
                return ToolCommand::usage("hdb-dump");
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
        std::cerr << "hdb-dump: " << path << ": not a readable HDB file (missing, damaged or another code word)\n";
        return 1;
    }
    std::cout << HDBTsv::headerLine(cursor) << '\n';
    const long long last = count < 0 ? cursor.recordCount() : std::min<long long>(cursor.recordCount(), from + count - 1);
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
                              "prints records of an HDB file as tab-separated text, field names as header", &run};

} // namespace
