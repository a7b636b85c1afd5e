#include "trade/post_tx.h"

#include "book/post.h"
#include "book/sign_post.h"
#include "core/base58.h"
#include "core/log.h"
#include "funding/offer_locks.h"
#include "funding/pay.h"
#include "net/market_addresses.h"
#include "trade/market_session.h"
#include "trade/offer_complete.h"
#include "trade/result_text.h"
#include "tx/outpoint.h"
#include "tx/script.h"
#include "wallet/connect.h"
#include "wallet/wallet_lock.h"

namespace trade {

TradeResult<Sent> publish_post(MarketSession& session, core::Json post, bool pay_house_fee, const funding::PayOptions& spend)
{
    return publish_signed_post(session, post, pay_house_fee, spend);
}

TradeResult<Sent> publish_signed_post(MarketSession& session, core::Json& post, bool pay_house_fee,
                                const funding::PayOptions& spend)
{
    if (!post.is_object()) return TradeError(TradeCode::SignFailed);
    post["protocol"] = std::string(book::POST_PROTOCOL);
    post["location"] = std::string(book::POST_LOCATION);
    if (auto signed_post = book::sign_post(post, session.book()); !signed_post) return TradeError(signed_post.error());
    std::string payload = core::json_dump_compact(post);
    // Readers take nothing larger for a post: paying for one would publish nothing.
    if (payload.size() > book::MAX_POST_BYTES) return TradeError(TradeCode::PostTooLarge);
    return post_transaction(session, payload, pay_house_fee, spend);
}

TradeResult<Sent> post_transaction(MarketSession& session, std::string_view payload, bool pay_house_fee,
                             const funding::PayOptions& spend)
{
    if (!wallet::pursa_is_connected(session.wallet())) return TradeError(TradeCode::NotConnected);
    if (payload.empty()) return TradeError(TradeCode::EmptyPayload);
    wallet::WalletLock lock(session.wallet());

    auto oracle = core::hash160_from_address(net::BOOK_ORACLE_ADDRESS);
    if (!oracle) return TradeError(TradeCode::OracleAddressBad);
    std::vector<tx::TxOutput> outputs;
    if (pay_house_fee) {
        auto house = core::hash160_from_address(net::HOUSE_FEE_ADDRESS);
        if (!house) return TradeError(TradeCode::HouseAddressBad);
        outputs.push_back({HOUSE_FEE_SATS, tx::p2pkh_script(*house)});
    }
    outputs.push_back({1, tx::p2pkh_script(*oracle)});
    outputs.push_back({0, tx::data_carrier_script(core::as_bytes(payload))});

    auto doc = core::parse_json(payload);
    std::vector<tx::Outpoint> hold_back;
    if (doc) hold_back = funding::offer_input_outpoints(core::json_string(*doc, "offer"));

    funding::PayOptions options = spend;
    options.hold_back.insert(options.hold_back.end(), hold_back.begin(), hold_back.end());
    funding::FundingResult<funding::Paid> paid = funding::pay_outputs(session.funding(), outputs, options);
    if (paid && doc && core::json_string(*doc, "type") == "ag_buy" && !hold_back.empty()) {
        // The record keeps the buyer's own coins: the signed inputs (the listing input is the seller's).
        funding::OfferRecord record{paid->txid, {}, {}};
        if (auto offer = parse_offer_text(core::json_string(*doc, "offer"))) {
            for (const auto& in : offer->inputs) {
                if (!in.script_sig.empty()) record.utxos.push_back({in.txid, in.vout});
            }
        }
        const std::optional<tx::Txid> listing = tx::Txid::parse(core::json_string(*doc, "listing"));
        if (listing) record.listing = *listing;
        // Without a listing id there is no offer to withdraw later, but its coins stay locked.
        if (!(listing ? funding::offer_record_add(session.wallet(), record) : funding::offer_locks_add(session.wallet(), record.utxos)))
            core::log_warning("The offer is posted, but its coins could not be recorded as locked: another payment may spend them.");
    }
    if (!paid) return TradeError(paid.error());
    return sent_of(*paid);
}

} // namespace trade
