#include "trade/result_text.h"

namespace trade {
namespace {
constexpr std::string_view ERROR_PREFIX = "error: ";
} // namespace

Sent sent_of(const funding::Paid& paid)
{
    return Sent{paid.txid, paid.confirmed, std::nullopt};
}

std::string follow_up_text(const Sent& sent)
{
    return sent.fill_failed ? "Book overlay: " + failure_text(*sent.fill_failed) : std::string();
}

std::string sent_text(const Sent& sent)
{
    std::string text = "success: " + sent.txid.hex() + (sent.confirmed ? std::string() : std::string(funding::SENT_UNCONFIRMED));
    if (sent.fill_failed) text += "\n" + follow_up_text(sent);
    return text;
}

std::string failure_text(const TradeError& error)
{
    return std::string(ERROR_PREFIX) + error_text(error);
}

std::string refusal_text(std::string_view sentence)
{
    return std::string(ERROR_PREFIX) + std::string(sentence);
}

std::string failure_text(const funding::FundingError& error)
{
    return failure_text(TradeError(error));
}

std::string failure_text(const wallet::WalletError& error)
{
    return failure_text(TradeError(error));
}

std::string result_text(const TradeResult<Sent>& result)
{
    return result ? sent_text(result.value()) : failure_text(result.error());
}

std::string result_text(const wallet::WalletResult<void>& result)
{
    return result ? "success" : failure_text(result.error());
}

} // namespace trade
