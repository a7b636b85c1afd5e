#include "tx/bsv20.h"

#include "core/json_get.h"

namespace tx {

namespace {

// A string member, or a non-negative integer member written in decimal.
std::string decimal_member(const core::Json& obj, std::string_view key)
{
    const core::Json* value = core::json_member(obj, key);
    if (!value) return {};
    if (value->is_string()) return value->get<std::string>();
    if (value->is_number_unsigned()) return std::to_string(value->get<uint64_t>());
    if (value->is_number_integer() && value->get<int64_t>() >= 0) return std::to_string(value->get<int64_t>());
    return {};
}

} // namespace

std::string bsv20_transfer_json(std::string_view token_id, std::string_view amount, std::string_view name,
                                std::string_view icon, std::string_view symbol, std::string_view decimals)
{
    core::Json body = core::Json::object();
    body["amt"] = std::string(amount);
    body["id"] = std::string(token_id);
    body["op"] = "transfer";
    body["p"] = "bsv-20";
    if (!decimals.empty()) body["dec"] = std::string(decimals);
    if (!icon.empty()) body["icon"] = std::string(icon);
    if (!name.empty()) body["name"] = std::string(name);
    if (!symbol.empty()) body["sym"] = std::string(symbol);
    return core::json_dump_compact(body);
}

std::optional<Bsv20Body> parse_bsv20(std::string_view body)
{
    auto doc = core::parse_json(body);
    if (!doc || !doc->is_object()) return std::nullopt;
    if (core::json_string(*doc, "p") != "bsv-20") return std::nullopt;
    Bsv20Body token;
    token.op = core::json_string(*doc, "op");
    token.id = core::json_string(*doc, "id");
    token.amt = decimal_member(*doc, "amt");
    token.dec = decimal_member(*doc, "dec");
    token.sym = core::json_string(*doc, "sym");
    token.icon = core::json_string(*doc, "icon");
    token.name = core::json_string(*doc, "name");
    return token;
}

} // namespace tx
