#include "trade/report.h"

#include "book/identity.h"
#include "book/post_blob.h"
#include "book/sign_post.h"
#include "core/base58.h"
#include "core/hex.h"
#include "funding/pay.h"
#include "net/market_addresses.h"
#include "trade/dialog_checks.h"
#include "trade/market_session.h"
#include "trade/post_tx.h"
#include "trade/report_cipher.h"
#include "trade/wallet_now.h"
#include "trade/result_text.h"
#include "tx/script.h"
#include "wallet/connect.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"

namespace trade {

wallet::DerivationPath message_key_path()
{
    return {44 | wallet::HARDENED, 236 | wallet::HARDENED, 101 | wallet::HARDENED, 0, 0};
}

core::Json report_envelope(std::string_view handle, std::string_view sealed_text)
{
    core::Json envelope = core::Json::object();
    envelope["protocol"] = "QDL-Relay";
    envelope["type"] = "report";
    envelope["app"] = "Agoran";
    envelope["handle"] = std::string(handle);
    envelope["to_handle"] = std::string(ARCHITECT_HANDLE);
    envelope["location"] = "agoran";
    envelope[std::string(REPORT_CIPHER_MEMBER)] = std::string(sealed_text);
    return envelope;
}

ReportOpening open_report_envelope(const core::Json& envelope, core::ByteView architect_key,
                                   const book::IdentityKeyLookup& lookup)
{
    ReportOpening out;
    if (!book::verify_post_signature(envelope) ||
        !book::post_key_matches(envelope, lookup(book::post_string(envelope, "actor")))) {
        out.error = "the signature does not verify";
    } else if (!core::json_member(envelope, "blob")) {
        out.error = "the envelope does not sign its sealed text";
    } else if (!book::post_blob_matches(envelope)) {
        out.error = "the sealed text is not the one its sender signed";
    } else if (!(out.report = open_report_text(book::post_string(envelope, REPORT_CIPHER_MEMBER), architect_key))) {
        out.error = "the key does not open it";
    }
    return out;
}

TradeResult<Sent> send_report(MarketSession& session, std::string_view text)
{
    std::string handle = hd_wallet_bound(session.wallet()) ? wallet_handle(session.wallet()) : std::string();
    if (handle.empty()) return TradeError(TradeCode::ReportNoHandle);
    if (auto bad_text = check_report_text(text)) return *bad_text;

    std::optional<wallet::DerivedKey> message_key;
    {
        wallet::WalletLock lock(session.wallet());
        message_key = wallet::derive_path(session.wallet(), message_key_path());
    }
    core::Bytes secret(32);
    if (!message_key || !core::hex_decode_to(message_key->priv_hex.view(), secret)) {
        core::secure_wipe(secret);
        return TradeError(TradeCode::MessageKeysMissing);
    }
    core::SecretBytes sender(std::move(secret));

    const book::BookServices& services = session.book();
    std::string architect = book::identity_key_of(ARCHITECT_HANDLE, services);
    auto architect_key = core::hex_decode(architect);
    if (architect.empty() || !architect_key) return TradeError(TradeCode::ArchitectKeyMissing);

    auto sealed = seal_report_text(trim_box_text(text), *architect_key, sender.view());
    if (!sealed) return TradeError(TradeCode::EncryptFailed);

    core::Json envelope = report_envelope(handle, *sealed);
    if (auto signed_post = book::sign_post(envelope, services); !signed_post) return TradeError(signed_post.error());
    return post_report(session, core::json_dump_compact(envelope));
}

TradeResult<Sent> post_report(MarketSession& session, std::string_view payload)
{
    if (!wallet::pursa_is_connected(session.wallet())) return TradeError(TradeCode::NotConnected);
    if (payload.empty()) return TradeError(TradeCode::EmptyReportPayload);
    wallet::WalletLock lock(session.wallet());
    auto fee = core::hash160_from_address(net::REPORT_FEE_ADDRESS);
    if (!fee) return TradeError(TradeCode::ReportFeeAddressBad);
    auto oracle = core::hash160_from_address(net::REPORT_ORACLE_ADDRESS);
    if (!oracle) return TradeError(TradeCode::ReportOracleBad);
    std::vector<tx::TxOutput> outputs{
        {REPORT_FEE_SATS, tx::p2pkh_script(*fee)},
        {1, tx::p2pkh_script(*oracle)},
        {0, tx::data_carrier_script(core::as_bytes(payload))},
    };
    funding::FundingResult<funding::Paid> paid = funding::pay_outputs(session.funding(), outputs);
    if (!paid) return TradeError(paid.error());
    return sent_of(*paid);
}

} // namespace trade
