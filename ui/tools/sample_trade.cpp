#include "ui/tools/sample_trade.h"

#include <chrono>
#include <thread>

namespace ui {

namespace {
const char* const SAMPLE_TXID = "5e1f0a9b8c7d6e5f4a3b2c1d0e9f8a7b6c5d4e3f2a1b0c9d8e7f6a5b4c3d2e1f";
} // namespace

void ScriptedTradeServices::set_lots(LotsLoad lots)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lots = std::move(lots);
}

void ScriptedTradeServices::set_history(HistoryLoad history)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_history = std::move(history);
}

void ScriptedTradeServices::set_frozen(const std::string& pubkey)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_frozen.insert(pubkey);
}

void ScriptedTradeServices::set_spent(const std::string& outpoint, const std::string& reason)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_spent[outpoint] = reason;
}

void ScriptedTradeServices::set_buyer_coins_spent(const std::string& offer_hex)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_coins_spent.insert(offer_hex);
}

void ScriptedTradeServices::set_verdict(const std::string& offer_hex, OfferVerdict verdict)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_verdicts[offer_hex] = std::move(verdict);
}

void ScriptedTradeServices::set_reserve_result(std::string result)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reserve_result = std::move(result);
}

void ScriptedTradeServices::set_result(const std::string& routine, std::string result)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_results[routine] = std::move(result);
}

void ScriptedTradeServices::set_sealed(SealedReport sealed)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sealed = std::move(sealed);
}

void ScriptedTradeServices::set_delay_ms(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_delay_ms = ms;
}

std::vector<ScriptedTradeServices::Call> ScriptedTradeServices::calls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

std::vector<ScriptedTradeServices::Call> ScriptedTradeServices::calls(const std::string& name) const
{
    std::vector<Call> out;
    for (auto& call : calls())
        if (call.name == name) out.push_back(call);
    return out;
}

void ScriptedTradeServices::clear_calls()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.clear();
}

void ScriptedTradeServices::record(std::string name, std::string argument, std::string extra)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back({std::move(name), std::move(argument), std::move(extra)});
}

std::string ScriptedTradeServices::result_of(const std::string& routine)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_results.find(routine);
    return it != m_results.end() ? it->second : std::string("success: ") + SAMPLE_TXID;
}

void ScriptedTradeServices::pause() const
{
    int delay = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        delay = m_delay_ms;
    }
    if (delay > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
}

LotsLoad ScriptedTradeServices::load_lots()
{
    pause();
    record("load_lots", "");
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lots;
}

HistoryLoad ScriptedTradeServices::load_history()
{
    pause();
    record("load_history", "");
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_history;
}

bool ScriptedTradeServices::identity_frozen(const std::string& pubkey)
{
    pause();
    record("identity_frozen", pubkey);
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frozen.count(pubkey) > 0;
}

bool ScriptedTradeServices::listing_output_unspent(const std::string& outpoint, std::string& reason)
{
    pause();
    record("listing_output_unspent", outpoint);
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_spent.find(outpoint);
    if (it == m_spent.end()) return true;
    reason = it->second;
    return false;
}

AssetDetails ScriptedTradeServices::asset_details(const std::string& origin, const std::string& kind, AssetDetails known)
{
    record("asset_details", origin, kind);
    if (kind == "bsv21" && known.sym.empty()) known.sym = "OWL";
    if (kind == "picture" && known.icon.empty()) known.icon = origin;
    return known;
}

bool ScriptedTradeServices::buyer_coins_spent(const std::string& offer_hex)
{
    pause();
    record("buyer_coins_spent", offer_hex);
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_coins_spent.count(offer_hex) > 0;
}

OfferVerdict ScriptedTradeServices::check_offer(const book::Listing& listing, const book::Offer& offer)
{
    record("check_offer", offer.offer, listing.id);
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_verdicts.find(offer.offer);
    if (it != m_verdicts.end()) return it->second;
    return OfferVerdict{true, true, offer.pay_sats, offer.pay_sats, ""};
}

std::string ScriptedTradeServices::reserve_add(const std::string& outpoint, const std::string& origin, int64_t expiry)
{
    record("reserve_add", outpoint, origin + " " + std::to_string(expiry));
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_reserve_result.rfind("success", 0) != 0) return m_reserve_result;
    if (!m_reserved.insert(outpoint).second) return "error: that UTXO is already listed.";
    return m_reserve_result;
}

void ScriptedTradeServices::reserve_remove(const std::string& key)
{
    record("reserve_remove", key);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reserved.erase(key);
}

std::string ScriptedTradeServices::post_listing(const nlohmann::json& post, const std::string& reserve_key)
{
    pause();
    record("post_listing", post.dump(), reserve_key);
    return result_of("post_listing");
}

std::string ScriptedTradeServices::post_offer(const nlohmann::json& post, const book::Listing& listing,
                                              const std::string& qty, uint64_t pay_sats)
{
    pause();
    record("post_offer", post.dump(), listing.utxo + " " + qty + " " + std::to_string(pay_sats));
    return result_of("post_offer");
}

std::string ScriptedTradeServices::complete_sale(const book::Listing& listing, const book::Offer& offer)
{
    pause();
    record("complete_sale", offer.id, listing.id);
    return result_of("complete_sale");
}

std::string ScriptedTradeServices::cancel_listing(const nlohmann::json& post, const std::string& listing_id,
                                                  const std::string& utxo)
{
    pause();
    record("cancel_listing", post.dump(), listing_id + " " + utxo);
    return result_of("cancel_listing");
}

std::string ScriptedTradeServices::cancel_offer(const nlohmann::json& post, const std::string& offer_hex)
{
    pause();
    record("cancel_offer", post.dump(), offer_hex);
    return result_of("cancel_offer");
}

SealedReport ScriptedTradeServices::seal_report(const std::string& text)
{
    record("seal_report", text);
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sealed;
}

std::string ScriptedTradeServices::send_report(const std::string& payload)
{
    pause();
    record("send_report", payload);
    return result_of("send_report");
}

} // namespace ui
