#include "pursa/services.h"

namespace pursa {

std::string publish_paymail(const std::string&, const std::string&)
{
    return "the registry host cannot be reached.";
}

std::string fund_wallet(const std::string&, int64_t)
{
    return "error: the simulator is not configured.";
}

} // namespace pursa
