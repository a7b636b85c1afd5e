// Why a routine of the book layer did not do what it was asked: a code, and what varies from one
// failure to the next. error_text gives the words the user reads for it.
#pragma once

#include <string>

#include "core/result.h"

namespace book {

enum class BookCode {
    // Loading
    IndexFailed,    // the oracle index did not answer its first page
    IndexNotTxids,  // the oracle index answered something that is not a txid list
    LoadFailed,     // the load stopped on an unexpected failure
    HistoryFailed,  // building the history stopped on an unexpected failure
    // Signing a post
    CannotSign,           // the post is not an object, or no fresh nonce could be drawn
    NoHandle,             // the bound wallet has no handle (none bound, or not connected)
    WalletSignFailed,     // detail: the wallet's own sentence
    SignatureUnverified,  // detail: the registry's domain the signature was checked against
    // A listing's reserved output
    OutputInvalid,  // not an outpoint
    OutputUnknown,  // the ordinals index does not answer for it
    OutputSpent,    // the lot was moved or sold
};

struct BookError {
    BookCode code = BookCode::LoadFailed;
    std::string detail;  // see the code

    BookError() = default;
    BookError(BookCode c, std::string d = {}) : code(c), detail(std::move(d)) {}
};

template <typename T>
using BookResult = core::Result<T, BookError>;

// The sentence the user reads for the error, without the error prefix the programs put before it.
// Safe from any thread.
std::string error_text(const BookError& error);

} // namespace book
