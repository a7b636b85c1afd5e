#include "devnet/registry_state.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "core/json_get.h"
#include "core/text.h"
#include "platform/atomic_file.h"

namespace devnet {

namespace {

std::map<std::string, std::string> string_map(const nlohmann::json& doc, std::string_view key)
{
    std::map<std::string, std::string> out;
    if (const auto* obj = core::json_object(doc, key)) {
        for (const auto& item : obj->items()) {
            if (item.value().is_string()) out[item.key()] = item.value().get<std::string>();
        }
    }
    return out;
}

} // namespace

RegistryState::RegistryState(std::string book_oracle, std::string report_oracle)
{
    m_oracles["agoran"] = std::move(book_oracle);
    m_oracles["report"] = std::move(report_oracle);
    m_product.content_type = "text/html; charset=utf-8";
    m_product.text =
        "<!DOCTYPE html>\n<html><head><title>Tavrin Agoran</title></head><body>\n"
        "<h1>Tavrin Agoran</h1>\n<p>Current build: version 0.002</p>\n</body></html>\n";
}

std::string RegistryState::normalize_handle(std::string_view handle)
{
    std::string text(handle);
    size_t at = text.find('@');
    if (at != std::string::npos) text.resize(at);
    while (!text.empty() && (text.front() == '$' || text.front() == ' ')) text.erase(text.begin());
    return core::ascii_lower(text);
}

bool RegistryState::open(const std::filesystem::path& file, std::string& error)
{
    std::lock_guard lock(m_mutex);
    m_file = file;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return save_locked() || (error = "cannot write " + file.string(), false);
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    auto doc = core::parse_json(text.str());
    if (!in || !doc || !doc->is_object()) {
        error = "the registry file " + file.string() + " is not readable JSON";
        return false;
    }
    m_identities = string_map(*doc, "identities");
    m_frozen = string_map(*doc, "frozen");
    m_roles = string_map(*doc, "roles");
    for (const auto& [name, address] : string_map(*doc, "oracles")) m_oracles[name] = address;
    m_architects.clear();
    if (const auto* list = core::json_array(*doc, "architects")) {
        for (const auto& key : *list) {
            if (key.is_string()) m_architects.push_back(key.get<std::string>());
        }
    }
    m_claims.clear();
    if (const auto* list = core::json_array(*doc, "claims")) m_claims.assign(list->begin(), list->end());
    if (const auto* page = core::json_object(*doc, "product_page")) {
        m_product.text = core::json_string(*page, "text");
        m_product.content_type = core::json_string(*page, "content_type");
    }
    return true;
}

nlohmann::json RegistryState::to_json_locked() const
{
    return {{"identities", m_identities},
            {"frozen", m_frozen},
            {"roles", m_roles},
            {"oracles", m_oracles},
            {"architects", m_architects},
            {"claims", m_claims},
            {"product_page", {{"text", m_product.text}, {"content_type", m_product.content_type}}}};
}

bool RegistryState::save_locked()
{
    if (m_file.empty()) return true;
    return platform::write_file_atomic(m_file, core::json_dump_file(to_json_locked()));
}

std::optional<std::string> RegistryState::identity_key(std::string_view handle) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_identities.find(normalize_handle(handle));
    if (it == m_identities.end()) return std::nullopt;
    return it->second;
}

bool RegistryState::set_identity(std::string_view handle, const std::string& pubkey)
{
    std::string key = normalize_handle(handle);
    if (key.empty()) return false;
    std::lock_guard lock(m_mutex);
    if (pubkey.empty()) m_identities.erase(key);
    else m_identities[key] = core::ascii_lower(pubkey);
    return save_locked();
}

std::vector<std::string> RegistryState::handles_of(const std::string& pubkey) const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> out;
    std::string key = core::ascii_lower(pubkey);
    for (const auto& [handle, value] : m_identities) {
        if (value == key) out.push_back(handle);
    }
    return out;
}

bool RegistryState::set_frozen(const std::string& pubkey, bool frozen, const std::string& note)
{
    std::lock_guard lock(m_mutex);
    if (frozen) m_frozen[core::ascii_lower(pubkey)] = note;
    else m_frozen.erase(core::ascii_lower(pubkey));
    return save_locked();
}

std::optional<std::string> RegistryState::frozen_note(const std::string& pubkey) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_frozen.find(core::ascii_lower(pubkey));
    if (it == m_frozen.end()) return std::nullopt;
    return it->second;
}

std::vector<std::string> RegistryState::architects() const
{
    std::lock_guard lock(m_mutex);
    return m_architects;
}

bool RegistryState::set_architects(std::vector<std::string> pubkeys)
{
    for (auto& key : pubkeys) key = core::ascii_lower(key);
    std::lock_guard lock(m_mutex);
    m_architects = std::move(pubkeys);
    return save_locked();
}

std::string RegistryState::role_of(const std::string& pubkey) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_roles.find(core::ascii_lower(pubkey));
    if (it != m_roles.end()) return it->second;
    if (std::find(m_architects.begin(), m_architects.end(), core::ascii_lower(pubkey)) != m_architects.end()) return "architect";
    return "user";
}

bool RegistryState::set_role(const std::string& pubkey, const std::string& role)
{
    std::lock_guard lock(m_mutex);
    if (role.empty()) m_roles.erase(core::ascii_lower(pubkey));
    else m_roles[core::ascii_lower(pubkey)] = role;
    return save_locked();
}

bool RegistryState::claim(std::string_view handle, const std::string& pubkey, const nlohmann::json& request)
{
    std::string key = normalize_handle(handle);
    std::lock_guard lock(m_mutex);
    auto it = m_identities.find(key);
    if (key.empty() || (it != m_identities.end() && it->second != core::ascii_lower(pubkey))) return false;
    m_identities[key] = core::ascii_lower(pubkey);
    m_claims.push_back(request);
    save_locked();
    return true;
}

size_t RegistryState::claim_count(const std::string& pubkey) const
{
    std::lock_guard lock(m_mutex);
    return static_cast<size_t>(std::count_if(m_claims.begin(), m_claims.end(), [&](const nlohmann::json& c) {
        return core::ascii_lower(core::json_string(c, "pubkey")) == core::ascii_lower(pubkey);
    }));
}

std::optional<std::string> RegistryState::oracle_address(const std::string& name) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_oracles.find(name);
    if (it == m_oracles.end() || it->second.empty()) return std::nullopt;
    return it->second;
}

bool RegistryState::set_oracle(const std::string& name, const std::string& address)
{
    std::lock_guard lock(m_mutex);
    m_oracles[name] = address;
    return save_locked();
}

ProductPage RegistryState::product_page() const
{
    std::lock_guard lock(m_mutex);
    return m_product;
}

bool RegistryState::set_product_page(ProductPage page)
{
    std::lock_guard lock(m_mutex);
    m_product = std::move(page);
    return save_locked();
}

} // namespace devnet
