// What a payment or a broadcast came to, in the form the tests compare: "sent <txid>" (with
// " unconfirmed" when the network did not show it yet), or "failed <code>" with the service's
// answer and the cause after it. The codes are compared, never the sentences made of them.
#pragma once

#include <string>

#include "funding/broadcast.h"
#include "funding/error.h"

namespace testsupport {

inline std::string failed(const funding::FundingError& error)
{
    std::string out = "failed " + std::to_string(static_cast<int>(error.code));
    if (!error.detail.empty()) out += ": " + error.detail;
    if (error.cause) out += " (" + failed(*error.cause) + ")";
    return out;
}

inline std::string failed(funding::FundingCode code, const std::string& detail = {})
{
    return failed(funding::FundingError(code, detail));
}

inline std::string sent(const std::string& txid, bool confirmed = true)
{
    return "sent " + txid + (confirmed ? "" : " unconfirmed");
}

inline std::string outcome(const funding::FundingResult<funding::Paid>& result)
{
    return result ? sent(result->txid.hex(), result->confirmed) : failed(result.error());
}

inline std::string outcome(const funding::FundingResult<void>& result)
{
    return result ? "done" : failed(result.error());
}

} // namespace testsupport
