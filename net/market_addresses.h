// The market's own addresses, constants of the program shared by every layer that pays or
// recognises them (book posts, listings, reports, the change-address check) and by the local
// services simulator, whose oracle index lists what pays the book oracle.
//
// Each is the P2PKH address of the hash160 of the text "Tavrin Agoran " + its role (for
// example "Tavrin Agoran book oracle"), so nobody holds a key for any of them. A release that
// collects the house fee for real replaces HOUSE_FEE_ADDRESS and REPORT_FEE_ADDRESS with
// addresses the house controls.
#pragma once

#include <string_view>

namespace net {

// Every book post pays 1 satoshi here; the oracle index lists the book from it.
inline constexpr std::string_view BOOK_ORACLE_ADDRESS = "1L3QcK9LZapiQ1hwaVR4ni5CP7uVFHHTGZ";
// A listing pays the house fee (0.01 BSV) here.
inline constexpr std::string_view HOUSE_FEE_ADDRESS = "1D23ywuUnMtJDB2kDcr28NAB6xkh76m14h";
// A report pays 1,000 satoshis here ...
inline constexpr std::string_view REPORT_FEE_ADDRESS = "1AP3dfrz4uFVp48Mf9b5NhQR6W2hZsthdF";
// ... and 1 satoshi here.
inline constexpr std::string_view REPORT_ORACLE_ADDRESS = "126yxM9WnzZsqdyUNpnJBWYBYZuCgAPjbd";

} // namespace net
