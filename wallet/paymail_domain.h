// The family's paymail domain: the registry host's domain, the part of a handle after "@".
#pragma once

#include <string>

namespace wallet {

std::string paymail_domain();

} // namespace wallet
