// The sentences the trade routines hand the programs for what the funding layer returned: the
// one place above funding/ that turns its results into words.
#pragma once

#include <string>

#include "funding/broadcast.h"
#include "funding/error.h"

namespace trade {

// "success: " + txid, followed by funding::SENT_UNCONFIRMED when the network did not show it yet.
std::string paid_text(const funding::Paid& paid);

// "error: " + the error's sentence (funding::error_text).
std::string failure_text(const funding::FundingError& error);

// paid_text or failure_text.
std::string result_text(const funding::FundingResult<funding::Paid>& result);

} // namespace trade
