#include "trade/result_text.h"

namespace trade {

std::string paid_text(const funding::Paid& paid)
{
    return "success: " + paid.txid + (paid.confirmed ? std::string() : std::string(funding::SENT_UNCONFIRMED));
}

std::string failure_text(const funding::FundingError& error)
{
    return "error: " + funding::error_text(error);
}

std::string failure_text(const wallet::WalletError& error)
{
    return "error: " + wallet::error_text(error);
}

std::string result_text(const funding::FundingResult<funding::Paid>& result)
{
    return result ? paid_text(result.value()) : failure_text(result.error());
}

std::string result_text(const wallet::WalletResult<void>& result)
{
    return result ? "success" : failure_text(result.error());
}

} // namespace trade
