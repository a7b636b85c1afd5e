// What the simulated chain and its indexers read from a locking script.
#pragma once

#include <optional>
#include <string>

#include "core/bytes.h"
#include "tx/inscription.h"

namespace devnet {

// What the indexers see in one output script.
struct LockView {
    // Address of an exact 25-byte P2PKH lock: WhatsOnChain's address indexes look up the
    // script of the address, so only that form is listed under it. Empty otherwise.
    std::string address;
    // The ordinals indexer's owner: a P2PKH lock in the first 25 bytes, else one right after
    // the envelope's OP_ENDIF (optionally after OP_CODESEPARATOR). Empty when neither.
    std::string owner;
    // The first envelope, read right after a leading P2PKH lock or at the start.
    std::optional<tx::Envelope> inscription;
};

// Reads a locking script as the indexers do. Never fails; safe from any thread.
LockView view_lock(core::ByteView script);

// The envelope anywhere in the script (the content server's rule): the first position where
// one parses. nullopt when there is none.
std::optional<tx::Envelope> find_envelope_anywhere(core::ByteView script);

// A lock the simulated node can run: the P2PKH check, with an inscription envelope before or
// after it, and nothing else but an OP_RETURN tail (which ends the script successfully).
struct P2pkhLock {
    core::Hash160 hash{};
};

// nullopt when the script is not one of those forms (the node would have to run a script the
// simulator does not interpret, so it refuses it).
std::optional<P2pkhLock> runnable_p2pkh_lock(core::ByteView script);

// True for a data carrier (OP_FALSE OP_RETURN or OP_RETURN first).
bool is_data_script(core::ByteView script);

} // namespace devnet
