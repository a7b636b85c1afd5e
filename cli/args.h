// The command line of agoran-cli: which commands exist, what each takes, and reading argv
// into an Invocation. Pure; no I/O.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace cli {

struct Invocation {
    int64_t at = 0;  // --at: the moment the market acts at (Unix seconds), 0 for the system clock
    std::string command;
    std::vector<std::string> args;              // positional arguments after the command
    std::map<std::string, std::string> options;  // "--price 1.5" or "--price=1.5" -> {"price", "1.5"}
    std::set<std::string> flags;                 // "--json" -> "json"

    bool flag(const std::string& name) const { return flags.count(name) > 0; }
    // The option's value, or fallback when it was not given.
    std::string option(const std::string& name, const std::string& fallback = {}) const;
    bool has_option(const std::string& name) const { return options.count(name) > 0; }
};

struct ParsedArgs {
    std::optional<Invocation> invocation;
    std::string error;  // a sentence for the user when invocation is empty
};

// Reads the arguments after the program name. Global options come first (--at SECONDS: whole
// Unix seconds above 0, before the year 10000); the next word is the command; "--" ends the
// options (every later word is positional). Unknown commands, unknown or repeated options, a
// missing or malformed option value, a missing required option and a wrong number of positional
// arguments are refused with a sentence that names the problem.
ParsedArgs parse_args(const std::vector<std::string>& argv);

// The help text listing every command.
std::string usage_text();

} // namespace cli
