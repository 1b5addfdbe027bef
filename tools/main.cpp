#include "ToolCommand.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace ToolCommand {

std::vector<Command>& commands() {
    static std::vector<Command> list;
    return list;
}

int usage(const std::string& name) {
    for (const Command& c : commands()) {
        if (c.name == name) {
            std::cerr << "usage: vistrel-tool " << c.name << ' ' << c.synopsis << '\n';
            return 2;
        }
    }
    std::cerr << "usage: vistrel-tool COMMAND [ARGS...]\n";
    return 2;
}

} // namespace ToolCommand

static void printHelp(std::ostream& out) {
    auto list = ToolCommand::commands();
    std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    out << "usage: vistrel-tool COMMAND [ARGS...]\n\ncommands:\n";
    for (const auto& c : list)
        out << "  " << c.name << ' ' << c.synopsis << "\n      " << c.summary << '\n';
}

int main(int argc, char** argv) {
    if (argc < 2) {
        printHelp(std::cerr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "help" || name == "--help" || name == "-h") {
        printHelp(std::cout);
        return 0;
    }
    for (const auto& c : ToolCommand::commands()) {
        if (c.name == name)
            return c.run(std::vector<std::string>(argv + 2, argv + argc));
    }
    std::cerr << "vistrel-tool: unknown command '" << name << "'\n";
    printHelp(std::cerr);
    return 2;
}
