#include "book/error.h"

namespace book {

std::string error_text(const BookError& error)
{
    switch (error.code) {
    case BookCode::IndexFailed: return "OI agoran txids failed";
    case BookCode::IndexNotTxids: return "OI agoran returned no txids";
    case BookCode::LoadFailed: return "could not load the book";
    case BookCode::HistoryFailed: return "could not load the history";
    case BookCode::CannotSign: return "could not sign";
    case BookCode::NoHandle: return "Connect Pursa";
    case BookCode::WalletSignFailed: return error.detail.empty() ? "could not sign" : error.detail;
    case BookCode::SignatureUnverified: return "identity signature did not verify against " + error.detail + " PKI";
    case BookCode::OutputInvalid: return "Its output is not valid.";
    case BookCode::OutputUnknown: return "The ordinals index does not know it.";
    case BookCode::OutputSpent: return "It was moved or sold.";
    }
    return "could not load the book";
}

} // namespace book
