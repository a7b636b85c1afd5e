// The registry host's own records: identity keys by handle, frozen identities, the
// architects, paymail claims and roles, the oracle addresses it indexes, and the product page
// text. Persisted as one JSON file, replaced atomically on every change. Safe from any thread.
#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace devnet {

struct ProductPage {
    std::string text;
    std::string content_type;
};

class RegistryState {
public:
    // The addresses the "agoran" (book) and "report" oracle indexes list until changed.
    RegistryState(std::string book_oracle, std::string report_oracle);

    // Loads the file when it exists and persists every later change to it. False with error
    // when the file exists but cannot be read or is not a registry file.
    [[nodiscard]] bool open(const std::filesystem::path& file, std::string& error);

    // Handles are compared lower-cased, without any "@domain" part.
    static std::string normalize_handle(std::string_view handle);

    std::optional<std::string> identity_key(std::string_view handle) const;
    // Registers or changes the handle's key; an empty key removes the handle.
    bool set_identity(std::string_view handle, const std::string& pubkey);
    std::vector<std::string> handles_of(const std::string& pubkey) const;

    bool set_frozen(const std::string& pubkey, bool frozen, const std::string& note);
    // The note of a frozen key, or nullopt when it is not frozen.
    std::optional<std::string> frozen_note(const std::string& pubkey) const;

    std::vector<std::string> architects() const;
    bool set_architects(std::vector<std::string> pubkeys);

    std::string role_of(const std::string& pubkey) const;
    bool set_role(const std::string& pubkey, const std::string& role);

    // Records a paymail claim. The handle is bound to the key unless another key holds it
    // (then nothing changes and false is returned).
    bool claim(std::string_view handle, const std::string& pubkey, const nlohmann::json& request);
    size_t claim_count(const std::string& pubkey) const;

    // Oracle index names ("agoran", "ident", "report") and the addresses they list.
    std::optional<std::string> oracle_address(const std::string& name) const;
    bool set_oracle(const std::string& name, const std::string& address);

    ProductPage product_page() const;
    bool set_product_page(ProductPage page);

private:
    bool save_locked();
    nlohmann::json to_json_locked() const;

    mutable std::mutex m_mutex;
    std::filesystem::path m_file;
    std::map<std::string, std::string> m_identities;  // handle -> pubkey
    std::map<std::string, std::string> m_frozen;      // pubkey -> note
    std::vector<std::string> m_architects;
    std::map<std::string, std::string> m_roles;       // pubkey -> role
    std::vector<nlohmann::json> m_claims;
    std::map<std::string, std::string> m_oracles;     // name -> address
    ProductPage m_product;
};

} // namespace devnet
