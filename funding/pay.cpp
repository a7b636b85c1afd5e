#include "funding/pay.h"

#include <algorithm>
#include <optional>

#include "core/base58.h"
#include "funding/broadcast.h"
#include "funding/change_address.h"
#include "funding/coin_state.h"
#include "funding/failure_class.h"
#include "funding/fund.h"
#include "funding/gather.h"
#include "funding/known_balance.h"
#include "funding/outcome.h"
#include "funding/refresh.h"
#include "funding/session.h"
#include "funding/spent_check.h"
#include "tx/sign.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_key.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

namespace funding {

namespace {

constexpr int ATTEMPTS = 3;

// A transaction an attempt handed to the broadcaster.
struct Sent {
    tx::Txid txid;
    std::vector<tx::TxInput> inputs;
    std::vector<tx::TxOutput> outputs;
};

bool sign_all(wallet::WalletSession& wallet, std::vector<tx::TxInput>& inputs, const std::vector<tx::TxOutput>& outputs)
{
    const auto& state = wallet.state();
    auto main_hash = core::hash160_from_address(state.recv_address);
    for (size_t i = 0; i < inputs.size(); ++i) {
        bool own_key = !inputs[i].priv_key_hex.empty() && !inputs[i].pub_key_hex.empty();
        if (!own_key && !main_hash) return false;
        core::Hash160 hash = own_key ? inputs[i].pub_key_hash : *main_hash;
        std::string_view priv = own_key ? inputs[i].priv_key_hex.view() : state.recv_priv.view();
        std::string pub = own_key ? inputs[i].pub_key_hex : state.recv_pub;
        if (!tx::tx_sign_input(i, inputs, outputs, hash, priv, pub)) return false;
    }
    return true;
}

class Payment {
public:
    Payment(Session& session, const std::vector<tx::TxOutput>& outputs, const PayOptions& options, core::Hash160 change,
            std::string key)
        : m_session(session), m_outputs(outputs), m_options(options), m_change(change), m_key(std::move(key))
    {
    }

    FundingResult<Paid> run()
    {
        RefreshMode mode = RefreshMode::Normal;
        int empty_gathers = 0;
        for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
            const bool last_attempt = attempt == ATTEMPTS - 1;
            if (auto refreshed = refresh_coins(m_session, mode); !refreshed) return refreshed.error();
            if (!same_wallet()) return FundingError(FundingCode::WalletChanged);
            mode = RefreshMode::Normal;

            Gathered coins = gather_coins(m_session, held_back(), must_spend());
            if (!same_wallet()) return FundingError(FundingCode::WalletChanged);
            if (auto missing = required_coin_missing(coins)) {
                // Lists that do not show the coin yet may after a fresh fetch.
                if (auto done = settled()) return *done;
                if (last_attempt) return *missing;
                if (attempt == 0) mark_lists_stale(m_session);
                else mode = RefreshMode::Forced;
                continue;
            }
            if (!coins.any()) {
                if (auto done = settled()) return *done;
                ++empty_gathers;
                if (empty_gathers == 1) {
                    mark_lists_stale(m_session);
                    continue;
                }
                if (empty_gathers == 2) {
                    mode = RefreshMode::Forced;
                    continue;
                }
                if (!m_options.hold_back.empty()) return FundingError(FundingCode::ShareCoins);
                break;
            }
            m_saw_coins = true;

            Funded funded = fund_transaction(coins.coins, m_outputs, m_change, coins.forced);
            if (!funded.ok) {
                if (auto done = settled()) return *done;
                m_last = funded.error;
                if (last_attempt) {
                    bool short_of_coins = funded.error.code == FundingCode::Insufficient;
                    if (!m_options.hold_back.empty() && short_of_coins) return FundingError(FundingCode::ShareCoins, funded.error);
                    return funded.error;
                }
                mark_lists_stale(m_session);
                continue;
            }
            if (!sign_all(m_session.wallet(), funded.inputs, funded.outputs)) return FundingError(FundingCode::SigningFailed);

            tx::Txid txid;
            FundingResult<Paid> result = broadcast_tx(m_session, funded.inputs, funded.outputs, m_change, txid);
            if (result) return result;
            if (!txid.is_null()) m_sent.push_back({txid, funded.inputs, funded.outputs});
            m_last = result.error();

            // Only a refusal carries the service's answer; the others are no answer at all.
            BroadcastFailure kind = classify_broadcast_failure(result.error().detail);
            if (kind == BroadcastFailure::Other) {
                // The answer may have been lost on the way back: give the transaction the
                // full confirmation time before calling the payment failed.
                if (auto done = settled(0)) return *done;
                return result;
            }
            ++m_failed_broadcasts;
            if (auto done = release_gone_inputs(funded.inputs)) return *done;
            if (kind == BroadcastFailure::InputsGone) {
                mode = RefreshMode::Forced;
            } else {
                mark_lists_stale(m_session);
            }
            if (auto done = settled()) return *done;
        }
        if (auto done = settled()) return *done;
        return final_message();
    }

private:
    // Whether the wallet the payment started with is still bound, its coin state loaded. Every
    // step that lets go of the wallet lock for a network request is followed by this check.
    [[nodiscard]] bool same_wallet() const { return wallet::wallet_load(m_session.wallet()) && wallet::wallet_key(m_session.wallet()) == m_key && ensure_coin_state(m_session); }

    // A transaction of this payment found on the chain after all: the payment is done. The
    // lookups run with the wallet lock let go; when it is back and another wallet is bound,
    // the payment ends with WalletChanged unless one was found.
    std::optional<FundingResult<Paid>> settled(int rounds = 1)
    {
        if (m_sent.empty()) return std::nullopt;
        const Sent* found = nullptr;
        {
            wallet::WalletUnlock unlock(m_session.wallet());
            for (const auto& s : m_sent) {
                if (find_on_chain(m_session, s.txid, rounds)) {
                    found = &s;
                    break;
                }
            }
        }
        if (found) return record(*found);
        if (!same_wallet()) return FundingError(FundingCode::WalletChanged);
        return std::nullopt;
    }

    // The money left: success whatever is bound now, but the outcome goes only into the memory
    // of the wallet that paid.
    FundingResult<Paid> record(const Sent& s)
    {
        if (same_wallet()) {
            m_session.coins().last_confirmed_txid = s.txid;
            record_outcome(m_session, s.txid, s.inputs, s.outputs, m_change);
        }
        return Paid{s.txid, true};
    }

    // The caller's hold-back list and the inputs this payment could not ask about.
    [[nodiscard]] std::vector<tx::Outpoint> held_back() const
    {
        std::vector<tx::Outpoint> out = m_options.hold_back;
        out.insert(out.end(), m_unanswered.begin(), m_unanswered.end());
        return out;
    }

    // The caller's must-spend coins and the coin every earlier attempt of this payment spends.
    [[nodiscard]] std::vector<tx::Outpoint> must_spend() const
    {
        std::vector<tx::Outpoint> out = m_options.must_spend;
        if (m_anchor) out.push_back(*m_anchor);
        return out;
    }

    // The failure that ends the payment when a coin it has to spend is not among the coins
    // gathered: the coin shared by the earlier attempts (without it a new attempt could go
    // through beside one of them), or, when the caller asked for it, one of its must-spend coins.
    [[nodiscard]] std::optional<FundingError> required_coin_missing(const Gathered& coins) const
    {
        auto leads = [&](const tx::Outpoint& key) {
            for (size_t i = 0; i < coins.forced && i < coins.coins.size(); ++i) {
                if (tx::Outpoint{coins.coins[i].txid, coins.coins[i].vout} == key) return true;
            }
            return false;
        };
        if (m_anchor && !leads(*m_anchor)) return final_message();
        if (!m_options.refuse_without_must_spend || m_options.must_spend.empty()) return std::nullopt;
        if (std::any_of(m_options.must_spend.begin(), m_options.must_spend.end(), leads)) return std::nullopt;
        return FundingError(FundingCode::MustSpendMissing);
    }

    // After a refused broadcast: the inputs the chain shows spent join the spent set; the others
    // stay spendable. Inputs the chain does not know, or could not be asked about, sit out the
    // rest of this payment only (a pending change the chain does not know is forgotten: the
    // lists bring it back if it is real). When one of this payment's own transactions spends
    // them, it is done. Unless the attempt can no longer go through (an input spent by another
    // transaction), one of its coins shown unspent (else one not answered for) must be spent by
    // every later attempt, so that at most one of them can ever confirm.
    std::optional<FundingResult<Paid>> release_gone_inputs(const std::vector<tx::TxInput>& inputs)
    {
        std::vector<tx::Txid> own;
        for (const auto& s : m_sent) own.push_back(s.txid);
        SpentVerdict verdict;
        {
            wallet::WalletUnlock unlock(m_session.wallet());
            verdict = check_spent_inputs(m_session, inputs, own);
        }
        if (verdict.settled) {
            for (const auto& s : m_sent) {
                if (s.txid == *verdict.settled) return record(s);
            }
        }
        if (!same_wallet()) return FundingError(FundingCode::WalletChanged);
        auto key_of = [&](size_t i) { return tx::Outpoint{inputs[i].txid, inputs[i].vout}; };
        if (verdict.dead) {
            m_anchor.reset();
        } else if (!m_anchor) {
            if (!verdict.unspent.empty()) m_anchor = key_of(verdict.unspent.front());
            else if (!verdict.unanswered.empty()) m_anchor = key_of(verdict.unanswered.front());
        }
        std::vector<SpentOutpoint> gone;
        for (size_t i : verdict.gone) {
            gone.push_back({inputs[i].txid, inputs[i].vout, wallet::wallet_address_for_hash160(m_session.wallet(), inputs[i].pub_key_hash).value_or("")});
        }
        add_spent(m_session, gone);
        for (size_t i : verdict.unknown) forget_pending_change(m_session, inputs[i].txid, inputs[i].vout);
        (void)save_snapshots(m_session);
        for (const auto& list : {verdict.unknown, verdict.unanswered}) {
            for (size_t i : list) {
                if (key_of(i) != m_anchor) m_unanswered.push_back(key_of(i));
            }
        }
        return std::nullopt;
    }

    [[nodiscard]] FundingError final_message() const
    {
        std::optional<core::Amount> balance = known_balance(m_session);
        if (balance && *balance == 0) {
            return m_last ? FundingError(FundingCode::NoBalance, *m_last) : FundingError(FundingCode::NoBalance);
        }
        if (!m_saw_coins && balance) return FundingError(FundingCode::BalanceNotSpendable);
        if (m_failed_broadcasts >= ATTEMPTS) return FundingError(FundingCode::RetriesExhausted);
        if (m_last) return *m_last;
        return FundingError(FundingCode::NoSpendableCoin);
    }

    Session& m_session;
    const std::vector<tx::TxOutput>& m_outputs;
    const PayOptions& m_options;
    core::Hash160 m_change;
    std::string m_key;  // the wallet paying
    std::vector<Sent> m_sent;
    std::vector<tx::Outpoint> m_unanswered;  // inputs the chain could not be asked about
    std::optional<tx::Outpoint> m_anchor;    // the coin every attempt so far spends
    std::optional<FundingError> m_last;  // the last attempt's failure
    int m_failed_broadcasts = 0;
    bool m_saw_coins = false;
};

} // namespace

FundingResult<Paid> pay_outputs(Session& session, const std::vector<tx::TxOutput>& outputs, const PayOptions& options)
{
    wallet::WalletLock lock(session.wallet());
    if (!wallet::wallet_load(session.wallet())) {
        // A wallet locked in Pursa is there: sending the user to "pursa create" would be wrong.
        if (wallet::wallet_is_locked(session.wallet())) return FundingError(FundingCode::WalletLocked);
        return FundingError(FundingCode::NoWallet);
    }
    if (!session.wallet().state().hd) return FundingError(FundingCode::NeedHdWallet);
    FundingResult<core::Hash160> change = choose_change_address(session.wallet());
    if (!change) return change.error();
    return Payment(session, outputs, options, change.value(), wallet::wallet_key(session.wallet())).run();
}

FundingResult<Paid> pay_outputs(Session& session, const std::vector<tx::TxOutput>& outputs, const std::vector<tx::Outpoint>& hold_back)
{
    PayOptions options;
    options.hold_back = hold_back;
    return pay_outputs(session, outputs, options);
}

} // namespace funding
