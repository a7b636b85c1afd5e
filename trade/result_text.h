// The sentences the trade routines and the programs show for what the funding and wallet layers
// returned: the one place above those layers that turns their results into words.
#pragma once

#include <string>

#include "funding/broadcast.h"
#include "funding/error.h"
#include "wallet/error.h"

namespace trade {

// "success: " + txid, followed by funding::SENT_UNCONFIRMED when the network did not show it yet.
std::string paid_text(const funding::Paid& paid);

// "error: " + the error's sentence (funding::error_text, wallet::error_text).
std::string failure_text(const funding::FundingError& error);
std::string failure_text(const wallet::WalletError& error);

// paid_text or failure_text.
std::string result_text(const funding::FundingResult<funding::Paid>& result);
// "success" or failure_text.
std::string result_text(const wallet::WalletResult<void>& result);

} // namespace trade
