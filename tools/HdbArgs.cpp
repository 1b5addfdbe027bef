#include "HdbArgs.h"

#include "MediumWriter.h"
#include "ToolArgs.h"

#include <fstream>
#include <iostream>

namespace HdbArgs {

const char* standardCodeWord() {
    return MediumWriter::CodeWord;
}

std::string codewordHelp() {
    return std::string("--codeword W names the code word the file is scrambled with; the default is the medium's "
                       "code word \"") +
           standardCodeWord() + "\", --codeword '' means a plain file";
}

void reportUnreadable(const std::string& command, const std::string& path, const std::string& codeword) {
    const std::string problem = ToolArgs::fileProblem(path);
    if (!problem.empty()) {
        std::cerr << command << ": " << path << ": " << problem << '\n';
        return;
    }
    // The header is never scrambled: its magic tells a file of another kind
    // from a damaged one or one with another code word.
    char magic[4] = {};
    std::ifstream in(path, std::ios::binary);
    in.read(magic, sizeof magic);
    if (in.gcount() < 4 || magic[0] != 'H' || magic[1] != 'D' || magic[2] != 'B' || magic[3] != 0x1A) {
        std::cerr << command << ": " << path << ": not an HDB file (no HDB header)\n";
        return;
    }
    std::cerr << command << ": " << path << ": damaged HDB file, or scrambled with another code word than "
              << (codeword.empty() ? std::string("none (plain file)") : '"' + codeword + '"') << '\n';
}

} // namespace HdbArgs
