#include "book/token_details.h"

#include <map>
#include <mutex>

#include "core/json_get.h"

namespace book {
namespace {

struct TokenNames {
    std::string name;
    std::string sym;
    std::string icon;
};

std::mutex g_token_mutex;
std::map<std::string, TokenNames> g_tokens;  // ordinals base "|" origin -> names

void fill_empty(std::string& field, const std::string& value)
{
    if (field.empty()) field = value;
}

void fill_from(const TokenNames& names, std::string& name, std::string& sym, std::string& icon)
{
    fill_empty(name, names.name);
    fill_empty(sym, names.sym);
    fill_empty(icon, names.icon);
}

} // namespace

void token_details(std::string_view origin, std::string_view kind, std::string& name, std::string& sym,
                   std::string& icon, const BookServices& services)
{
    if (origin.empty()) return;
    if (kind == "picture") {
        fill_empty(icon, std::string(origin));
        return;
    }
    const std::string key = services.config->ordinals_api + "|" + std::string(origin);
    {
        std::lock_guard<std::mutex> lock(g_token_mutex);
        auto it = g_tokens.find(key);
        if (it != g_tokens.end()) {
            fill_from(it->second, name, sym, icon);
            return;
        }
    }
    net::Result<net::TokenInfo> info = services.ordinals().token(origin);
    if (!info) return;
    TokenNames answered{info->name, info->sym, info->icon};
    if (info->deploy_json.is_object()) {
        fill_empty(answered.name, core::json_string(info->deploy_json, "name"));
        fill_empty(answered.sym, core::json_string(info->deploy_json, "sym"));
        fill_empty(answered.icon, core::json_string(info->deploy_json, "icon"));
    }
    fill_from(answered, name, sym, icon);
    std::lock_guard<std::mutex> lock(g_token_mutex);
    g_tokens[key] = std::move(answered);
}

void clear_token_cache()
{
    std::lock_guard<std::mutex> lock(g_token_mutex);
    g_tokens.clear();
}

} // namespace book
