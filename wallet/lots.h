// The wallet's lots: the 1-satoshi ordinal outputs the bound wallet holds, as BSV-21 token lots
// (one row per token id, amounts summed) and picture inscriptions (one row per output), for the
// List dialog. Keeps the wallet file's owned-ordinals list in step with what the scan finds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/ordinals_client.h"
#include "net/woc_client.h"
#include "tx/outpoint.h"
#include "tx/txid.h"
#include "wallet/error.h"
#include "wallet/wallet_session.h"

namespace wallet {

struct TvPursaOrdRow {
    std::string origin;  // the inscription's origin (txid_vout): the lot's id
    tx::Txid txid;       // output that holds it now
    uint32_t vout = 0;
    int64_t satoshis = 0;
    int64_t height = 0;  // block height the index reports; 0 when unmined
    std::string type;    // content type, or "bsv-20" for a token lot
    std::string address;  // watch address that holds it
    std::string name;
    std::string icon;
    std::string amt;  // token amount, decimal text; empty for a picture
    std::string dec;  // token decimals
    std::string token_id;  // empty for a picture
    // Merging: the sorted outpoints a combined token lot covers, whether any of them
    // is unmined, whether any is only known from this program's own history, where the row
    // came from, and how many outputs it combines.
    std::vector<tx::Outpoint> outpoints;
    bool unconfirmed = false;
    bool from_history = false;
    std::string source;
    int outputs = 1;

    [[nodiscard]] bool is_picture() const { return token_id.empty() && amt.empty(); }
};

// The chain services a scan reads.
struct LotServices {
    const net::WocClient& woc;
    const net::OrdinalsClient& ordinals;
};

// Scans the bound wallet's watch addresses and fills rows. Fails with NoWallet,
// NoWatchAddresses, WalletChanged, or IndexUnavailable (rows then empty).
// with_details: look up token names and icons and cache picture names (the List dialog);
// include_hidden: also list lots the owned list marks hidden. Asks the session's services
// unless `services` is given.
[[nodiscard]] WalletResult<void> tv_pursa_list_ordinals(WalletSession& session, std::vector<TvPursaOrdRow>& rows,
                                                        bool with_details, bool include_hidden);
[[nodiscard]] WalletResult<void> tv_pursa_list_ordinals(WalletSession& session, std::vector<TvPursaOrdRow>& rows,
                                                        bool with_details, bool include_hidden, const LotServices& services);

// Combines token rows of one token id into one lot (amounts summed as decimals, outpoints
// sorted); pictures stay one row per output. Row order: first appearance.
std::vector<TvPursaOrdRow> combine_lot_rows(const std::vector<TvPursaOrdRow>& rows);

// The inscription content of an origin (or of a bare txid, read as txid_0): the content base,
// then the API's "/files/inscriptions/". bytes and content_type (sniffed from the first bytes)
// are filled on success. Asks the session's ordinals index unless `ordinals` is given.
bool fetch_inscription_content(const WalletSession& session, std::string_view key, std::string& bytes,
                               std::string& content_type);
bool fetch_inscription_content(std::string_view key, std::string& bytes, std::string& content_type,
                               const net::OrdinalsClient& ordinals);

// The content type of image bytes by their signature; "application/octet-stream" otherwise.
std::string sniff_content_type(std::string_view bytes);

} // namespace wallet
