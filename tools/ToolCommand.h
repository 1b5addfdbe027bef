#pragma once

#include <functional>
#include <string>
#include <vector>

// A subcommand of vistrel-tool. Each subcommand lives in its own source file
// and registers itself with a static ToolCommand::Registration:
//
//   static ToolCommand::Registration reg{"tlm-info", "FILE", "prints the header of a map file", &run};
//
// `run` gets the arguments after the subcommand name and returns the exit code
// (0 success, 1 failure of the work, 2 wrong usage).
namespace ToolCommand {

using Run = int (*)(const std::vector<std::string>& args);

struct Command {
    std::string name;
    std::string synopsis;
    std::string summary;
    Run run;
};

std::vector<Command>& commands();

struct Registration {
    Registration(std::string name, std::string synopsis, std::string summary, Run run) {
        commands().push_back({std::move(name), std::move(synopsis), std::move(summary), run});
    }
};

// Prints "usage: vistrel-tool NAME SYNOPSIS" to stderr and returns 2.
int usage(const std::string& name);

} // namespace ToolCommand
