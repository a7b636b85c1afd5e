#include "tx/script.h"

#include <algorithm>

#include "tx/opcodes.h"
#include "tx/push.h"

namespace tx {

core::Bytes p2pkh_script(const core::Hash160& hash)
{
    core::Bytes script;
    script.reserve(P2PKH_SCRIPT_SIZE);
    script.push_back(OP_DUP);
    script.push_back(OP_HASH160);
    script.push_back(static_cast<uint8_t>(hash.size()));
    script.insert(script.end(), hash.begin(), hash.end());
    script.push_back(OP_EQUALVERIFY);
    script.push_back(OP_CHECKSIG);
    return script;
}

std::optional<core::Hash160> p2pkh_prefix_hash(core::ByteView script)
{
    if (script.size() < P2PKH_SCRIPT_SIZE) return std::nullopt;
    if (script[0] != OP_DUP || script[1] != OP_HASH160 || script[2] != 0x14 || script[23] != OP_EQUALVERIFY ||
        script[24] != OP_CHECKSIG) {
        return std::nullopt;
    }
    core::Hash160 hash{};
    std::copy(script.begin() + 3, script.begin() + 23, hash.begin());
    return hash;
}

std::optional<core::Hash160> p2pkh_hash(core::ByteView script)
{
    if (script.size() != P2PKH_SCRIPT_SIZE) return std::nullopt;
    return p2pkh_prefix_hash(script);
}

core::Bytes data_carrier_script(core::ByteView payload)
{
    core::Bytes script{OP_0, OP_RETURN};
    if (!payload.empty()) append_push(script, payload);
    return script;
}

} // namespace tx
