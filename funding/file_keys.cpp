#include "funding/file_keys.h"

namespace funding {

namespace {

bool kept(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

} // namespace

std::string reserve_file_key(std::string_view wallet_id)
{
    std::string key;
    for (char c : wallet_id.empty() ? std::string_view("none") : wallet_id) key.push_back(kept(c) ? c : '_');
    if (key.empty()) key = "wallet";
    if (key.size() > 64) key.resize(64);
    return key;
}

std::string offer_lock_file_key(std::string_view wallet_id)
{
    std::string key;
    for (char c : wallet_id) {
        if (kept(c)) key.push_back(c);
    }
    return key.empty() ? "none" : key;
}

} // namespace funding
