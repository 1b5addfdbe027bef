// vistrel-tool hdb-build: an HDB file from tab-separated records.
#include "ToolCommand.h"

#include "HdbArgs.h"
#include "ToolArgs.h"

#include <Cp1252.h>
#include <HDBTsv.h>
#include <HDBWriter.h>

#include <iostream>

namespace {

int run(const std::vector<std::string>& args) {
    std::string out;
    std::string spec;
    std::string codeword = HdbArgs::standardCodeWord();
    for (std::size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "--fields" || args[i] == "--codeword") && i + 1 == args.size())
            return ToolArgs::missingValue("hdb-build", args[i]);
        if (args[i] == "--fields")
            spec = args[++i];
        else if (args[i] == "--codeword")
            codeword = args[++i];
        else if (out.empty() && args[i].rfind("--", 0) != 0)
            out = args[i];
        else
            return ToolCommand::usage("hdb-build");
    }
    if (out.empty() || spec.empty())
        return ToolCommand::usage("hdb-build");
    std::vector<HDBFieldDef> fields;
    std::string error;
    if (!HDBTsv::parseFieldSpec(spec, fields, error)) {
        std::cerr << "hdb-build: " << error << '\n';
        return 2;
    }
    HDBWriter writer(fields, Cp1252::encode(QString::fromStdString(codeword)));
    if (!writer.isValid()) {
        std::cerr << "hdb-build: " << writer.errorString() << '\n';
        return 2;
    }
    std::string header;
    for (const HDBFieldDef& f : fields)
        header += (header.empty() ? "" : "\t") + HDBTsv::escape(Cp1252::decode(f.name).toStdString());

    std::string line;
    long long lineNo = 0;
    while (std::getline(std::cin, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // A first line naming the fields (as hdb-dump writes it) is a header.
        if (lineNo == 1 && line == header)
            continue;
        if (line.empty())
            continue;
        const std::vector<std::string> cells = HDBTsv::splitLine(line);
        if (cells.size() != fields.size()) {
            std::cerr << "hdb-build: line " << lineNo << ": " << cells.size() << " values for " << fields.size()
                      << " fields\n";
            return 1;
        }
        std::vector<HDBWriter::Value> values;
        for (const std::string& cell : cells)
            values.emplace_back(Cp1252::encode(QString::fromStdString(HDBTsv::unescape(cell))));
        if (!writer.addRecord(values)) {
            std::cerr << "hdb-build: line " << lineNo << ": " << writer.errorString() << '\n';
            return 1;
        }
    }
    if (!writer.write(out)) {
        std::cerr << "hdb-build: " << writer.errorString() << '\n';
        return 1;
    }
    std::cerr << "hdb-build: " << out << ": " << writer.recordCount() << " records\n";
    return 0;
}

ToolCommand::Registration reg{"hdb-build", "OUT.HDB --fields SPEC [--codeword W] < records.tsv",
                              "builds an HDB file from tab-separated records; SPEC lists NAME:C<len> (text), "
                              "NAME:N<len>[.<dec>] (number) or NAME:B (byte), comma-separated; " +
                                  HdbArgs::codewordHelp(),
                              &run};

} // namespace
