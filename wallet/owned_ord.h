// Records of the wallet file kept beside the keys: the owned ordinals ("ord_owned") and the
// contacts ("contacts"), with their JSON forms and the handle normalisation of contacts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "tx/txid.h"

namespace wallet {

// One inscription the wallet keeps track of.
struct TvOwnedOrd {
    std::string origin;  // txid_vout of the inscription's origin, as stored; never empty in a loaded record
    std::optional<tx::Txid> txid;  // output now holding it; none when the record names no txid
    uint32_t vout = 0;
    std::string type;  // content type, or "bsv-20"
    std::string address;
    std::string name;
    std::string icon;
    std::string amt;  // token amount
    std::string dec;  // token decimals
    std::string token_id;
    bool hidden = false;
    bool created = true;

private:
    // The "txid" text read from the file when txid does not give it back as it was (text that is
    // not a txid, or upper-case hex digits): written back unchanged while txid still reads the same,
    // so that a save does not rewrite what another program stored.
    std::string m_txid_text;
    friend std::optional<TvOwnedOrd> owned_ord_from_json(const nlohmann::json& value);
    friend nlohmann::json owned_ord_to_json(const TvOwnedOrd& record);
};

struct TvContact {
    std::string dest;  // a normalised handle or an address
    std::string note;  // at most 80 characters
};

inline constexpr size_t CONTACT_NOTE_MAX = 80;

// Reads one "ord_owned" element. nullopt when it is not an object, or when a member has the
// wrong type ("vout" must be an integer from 0 to 2^32-1). A record whose "origin" is empty is
// returned with an empty origin; the caller drops it. A "txid" that is empty or not a txid
// reads as none.
std::optional<TvOwnedOrd> owned_ord_from_json(const nlohmann::json& value);
// Writes the record as stored: "origin", "txid" (the text read while txid is unchanged, else
// its digits, "" for none), "vout", "created" always; texts when non-empty; "hidden" only when
// true.
nlohmann::json owned_ord_to_json(const TvOwnedOrd& record);

// Reads an "ord_owned" array: non-objects skipped, empty origins dropped. nullopt when an
// element has a member of the wrong type.
std::optional<std::vector<TvOwnedOrd>> owned_ords_from_json(const nlohmann::json& array);
nlohmann::json owned_ords_to_json(const std::vector<TvOwnedOrd>& records);

// Trims blanks, strips leading "@" and "$", trims again. An address (26 characters or more,
// starting "1") is kept as it is; anything else is lower-cased and loses "@" + paymail_domain
// when that is what follows its first "@".
std::string normalize_handle(std::string_view text, std::string_view paymail_domain);

// Reads a "contacts" array: non-objects skipped, "dest" normalised, empty ones dropped, notes cut
// to 80 characters. nullopt when "dest" or "note" has the wrong type.
std::optional<std::vector<TvContact>> contacts_from_json(const nlohmann::json& array,
                                                         std::string_view paymail_domain);
nlohmann::json contacts_to_json(const std::vector<TvContact>& contacts);

} // namespace wallet
