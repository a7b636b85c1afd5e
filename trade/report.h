// Reports to the market's architect: the text is sealed to the architect's identity key (as the
// registry host publishes it for ARCHITECT_HANDLE) from the wallet's own message key, wrapped in
// a signed "QDL-Relay" envelope and paid into a transaction of its own.
#pragma once

#include <string>
#include <string_view>

#include "book/signing.h"
#include "core/json_fwd.h"
#include "core/secure.h"
#include "trade/error.h"
#include "trade/report_cipher.h"
#include "wallet/hd_derive.h"

namespace trade {
class MarketSession;
}

namespace trade {

// The architect's inbox handle on the registry host.
inline constexpr std::string_view ARCHITECT_HANDLE = "architect";
// The envelope member that carries the sealed text (report_cipher.h).
inline constexpr std::string_view REPORT_CIPHER_MEMBER = "enc";
// A report pays this to the report fee address.
inline constexpr int64_t REPORT_FEE_SATS = 1'000;

// m/44'/236'/101'/0/0: the wallet's message key, used for sealed messages only.
wallet::DerivationPath message_key_path();

// The report envelope before signing: "protocol" "QDL-Relay", "type" "report", "app" "Agoran",
// "handle", "to_handle", "location" "agoran", and the sealed text under REPORT_CIPHER_MEMBER.
// Signing adds its "blob", which carries the SHA-256 of the sealed text: the signature covers
// the very text the architect opens.
core::Json report_envelope(std::string_view handle, std::string_view sealed_text);

struct ReportOpening {
    std::optional<OpenedReport> report;
    std::string error;  // why not, for the architect's list, when report is empty
};

// The architect's side: opens a signed report envelope with the architect's 32-byte key, but
// only when its signature verifies against the key lookup gives for its "actor" ("the signature
// does not verify") and it signs the very sealed text it carries ("the envelope does not sign
// its sealed text" without a blob, "the sealed text is not the one its sender signed" when the
// blob does not match); else "the key does not open it". Network only through lookup.
ReportOpening open_report_envelope(const core::Json& envelope, core::ByteView architect_key,
                                   const book::IdentityKeyLookup& lookup);

// Sends a report the way the Report dialog does: a bound wallet with a paymail handle
// (ReportNoHandle), the text check (ReportTextBad), the wallet's message key
// (MessageKeysMissing), the architect's key (ArchitectKeyMissing), the seal (EncryptFailed),
// signing, then post_report. Call from a worker thread.
TradeResult<Sent> send_report(MarketSession& session, std::string_view text);

// Pays 1,000 sats to the report fee address, 1 sat to the report oracle and the data output
// with the payload: what was sent, or why not.
TradeResult<Sent> post_report(MarketSession& session, std::string_view payload);

} // namespace trade
