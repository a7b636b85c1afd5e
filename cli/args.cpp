#include "cli/args.h"

#include <algorithm>

namespace cli {
namespace {

struct CommandShape {
    std::string name;
    size_t min_args = 0;
    size_t max_args = 0;  // SIZE_MAX: any number
    std::vector<std::string> options;   // take a value
    std::vector<std::string> required;  // options that must be given
    std::vector<std::string> flags;     // take no value
    std::string usage;    // the command and its arguments
    std::string summary;  // what it does
};

constexpr size_t ANY = static_cast<size_t>(-1);

const std::vector<CommandShape>& shapes()
{
    static const std::vector<CommandShape> table = {
        {"connect", 0, 0, {"timeout"}, {}, {}, "connect [--timeout SECONDS]", "ask Pursa to bind a wallet to this app"},
        {"unbind", 0, 0, {}, {}, {}, "unbind", "forget the bound wallet"},
        {"balance", 0, 0, {}, {}, {}, "balance", "the bound wallet's BSV"},
        {"book", 0, 0, {}, {}, {"json"}, "book [--json]",
         "the listings on the book; exit status 3 when the book could not be read whole"},
        {"lots", 0, 0, {}, {}, {"json"}, "lots [--json]", "this wallet's token lots and pictures"},
        {"list", 1, 1, {"qty", "price", "note"}, {"price", "note"}, {}, "list LOT --price BSV --note TEXT [--qty N]",
         "list a lot (its outpoint or id) for a total price"},
        {"buy", 1, 1, {"qty"}, {}, {}, "buy LISTING [--qty N]", "offer on a listing (all of it by default)"},
        {"offers", 0, 0, {}, {}, {"json"}, "offers [--json]",
         "offers on this wallet's listings, with what completing them finds"},
        {"complete", 1, 1, {}, {}, {}, "complete OFFER", "sign and broadcast an offer, then post the fill"},
        {"cancel", 1, 1, {}, {}, {}, "cancel LISTING", "take one of this wallet's listings off the book"},
        {"cancel-offer", 1, 1, {}, {}, {}, "cancel-offer OFFER",
         "withdraw one of this wallet's offers (shown on the book or not)"},
        {"history", 0, 0, {}, {}, {"json"}, "history [--json]",
         "this wallet's trades; exit status 3 when the book could not be read whole"},
        {"report", 0, ANY, {"file"}, {}, {}, "report TEXT... | --file PATH",
         "send an encrypted report to the market's architect"},
        {"help", 0, 0, {}, {}, {}, "help", "this text"},
    };
    return table;
}

const CommandShape* find_shape(const std::string& name)
{
    for (const auto& shape : shapes()) {
        if (shape.name == name) return &shape;
    }
    return nullptr;
}

bool contains(const std::vector<std::string>& list, const std::string& name)
{
    return std::find(list.begin(), list.end(), name) != list.end();
}

ParsedArgs refused(std::string error)
{
    return {std::nullopt, std::move(error)};
}

} // namespace

std::string Invocation::option(const std::string& name, const std::string& fallback) const
{
    auto it = options.find(name);
    return it == options.end() ? fallback : it->second;
}

ParsedArgs parse_args(const std::vector<std::string>& argv)
{
    if (argv.empty()) return refused("no command given. Try: agoran-cli help");
    Invocation inv;
    inv.command = argv.front();
    if (inv.command == "--help" || inv.command == "-h") inv.command = "help";
    const CommandShape* shape = find_shape(inv.command);
    if (!shape) return refused("unknown command \"" + inv.command + "\". Try: agoran-cli help");

    bool options_done = false;
    for (size_t i = 1; i < argv.size(); ++i) {
        const std::string& word = argv[i];
        if (options_done || word.size() < 3 || word.rfind("--", 0) != 0) {
            if (word == "--") {
                options_done = true;
                continue;
            }
            inv.args.push_back(word);
            continue;
        }
        std::string name = word.substr(2);
        std::optional<std::string> value;
        if (auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (contains(shape->flags, name)) {
            if (value) return refused("--" + name + " takes no value.");
            inv.flags.insert(name);
            continue;
        }
        if (!contains(shape->options, name)) return refused(inv.command + " has no option --" + name + ".");
        if (inv.options.count(name)) return refused("--" + name + " is given twice.");
        if (!value) {
            if (i + 1 >= argv.size()) return refused("--" + name + " needs a value.");
            value = argv[++i];
        }
        inv.options[name] = *value;
    }
    for (const auto& name : shape->required) {
        if (!inv.options.count(name)) return refused(inv.command + " needs --" + name + ".");
    }
    if (inv.args.size() < shape->min_args || inv.args.size() > shape->max_args) {
        return refused("usage: agoran-cli " + shape->usage);
    }
    return {std::move(inv), ""};
}

std::string usage_text()
{
    std::string text =
        "usage: agoran-cli COMMAND [ARGUMENTS]\n"
        "The data directory is TavrinNode under LOCALAPPDATA, shared with Pursa.\n\n";
    for (const auto& shape : shapes()) text += "  agoran-cli " + shape.usage + "\n      " + shape.summary + "\n";
    text +=
        "\nExit status: 0 on success, 1 on an error, 3 when book or history printed what it could read but\n"
        "the market's services were busy or offline: a warning on standard error says what is missing.\n";
    return text;
}

} // namespace cli
