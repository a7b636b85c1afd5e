#include "devnet/woc_format.h"

#include <algorithm>
#include <vector>

#include "core/hash.h"
#include "core/hex.h"
#include "devnet/lock_script.h"
#include "core/key.h"
#include "tx/push.h"
#include "tx/script.h"
#include "core/base58.h"

namespace devnet {

namespace {

constexpr size_t TRUNCATE_SCRIPT_BYTES = 100'000;

const char* opcode_name(uint8_t op)
{
    switch (op) {
    case 0x4F: return "-1";
    case 0x50: return "OP_RESERVED";
    case 0x61: return "OP_NOP";
    case 0x62: return "OP_VER";
    case 0x63: return "OP_IF";
    case 0x64: return "OP_NOTIF";
    case 0x65: return "OP_VERIF";
    case 0x66: return "OP_VERNOTIF";
    case 0x67: return "OP_ELSE";
    case 0x68: return "OP_ENDIF";
    case 0x69: return "OP_VERIFY";
    case 0x6A: return "OP_RETURN";
    case 0x6B: return "OP_TOALTSTACK";
    case 0x6C: return "OP_FROMALTSTACK";
    case 0x6D: return "OP_2DROP";
    case 0x6E: return "OP_2DUP";
    case 0x6F: return "OP_3DUP";
    case 0x70: return "OP_2OVER";
    case 0x71: return "OP_2ROT";
    case 0x72: return "OP_2SWAP";
    case 0x73: return "OP_IFDUP";
    case 0x74: return "OP_DEPTH";
    case 0x75: return "OP_DROP";
    case 0x76: return "OP_DUP";
    case 0x77: return "OP_NIP";
    case 0x78: return "OP_OVER";
    case 0x79: return "OP_PICK";
    case 0x7A: return "OP_ROLL";
    case 0x7B: return "OP_ROT";
    case 0x7C: return "OP_SWAP";
    case 0x7D: return "OP_TUCK";
    case 0x7E: return "OP_CAT";
    case 0x7F: return "OP_SPLIT";
    case 0x80: return "OP_NUM2BIN";
    case 0x81: return "OP_BIN2NUM";
    case 0x82: return "OP_SIZE";
    case 0x83: return "OP_INVERT";
    case 0x84: return "OP_AND";
    case 0x85: return "OP_OR";
    case 0x86: return "OP_XOR";
    case 0x87: return "OP_EQUAL";
    case 0x88: return "OP_EQUALVERIFY";
    case 0x8B: return "OP_1ADD";
    case 0x8C: return "OP_1SUB";
    case 0x8F: return "OP_NEGATE";
    case 0x90: return "OP_ABS";
    case 0x91: return "OP_NOT";
    case 0x92: return "OP_0NOTEQUAL";
    case 0x93: return "OP_ADD";
    case 0x94: return "OP_SUB";
    case 0x95: return "OP_MUL";
    case 0x96: return "OP_DIV";
    case 0x97: return "OP_MOD";
    case 0x98: return "OP_LSHIFT";
    case 0x99: return "OP_RSHIFT";
    case 0x9A: return "OP_BOOLAND";
    case 0x9B: return "OP_BOOLOR";
    case 0x9C: return "OP_NUMEQUAL";
    case 0x9D: return "OP_NUMEQUALVERIFY";
    case 0x9E: return "OP_NUMNOTEQUAL";
    case 0x9F: return "OP_LESSTHAN";
    case 0xA0: return "OP_GREATERTHAN";
    case 0xA1: return "OP_LESSTHANOREQUAL";
    case 0xA2: return "OP_GREATERTHANOREQUAL";
    case 0xA3: return "OP_MIN";
    case 0xA4: return "OP_MAX";
    case 0xA5: return "OP_WITHIN";
    case 0xA6: return "OP_RIPEMD160";
    case 0xA7: return "OP_SHA1";
    case 0xA8: return "OP_SHA256";
    case 0xA9: return "OP_HASH160";
    case 0xAA: return "OP_HASH256";
    case 0xAB: return "OP_CODESEPARATOR";
    case 0xAC: return "OP_CHECKSIG";
    case 0xAD: return "OP_CHECKSIGVERIFY";
    case 0xAE: return "OP_CHECKMULTISIG";
    case 0xAF: return "OP_CHECKMULTISIGVERIFY";
    default: return "OP_UNKNOWN";
    }
}

// A push of up to 4 bytes as the script number it encodes (little endian, sign bit on top).
std::string script_number_text(core::ByteView data)
{
    int64_t value = 0;
    for (size_t i = 0; i < data.size(); ++i) value |= static_cast<int64_t>(data[i]) << (8 * i);
    if (!data.empty() && (data.back() & 0x80)) {
        value &= ~(static_cast<int64_t>(0x80) << (8 * (data.size() - 1)));
        value = -value;
    }
    return std::to_string(value);
}

std::string hash_type_text(uint8_t type)
{
    std::string base;
    switch (type & 0x1F) {
    case 1: base = "ALL"; break;
    case 2: base = "NONE"; break;
    case 3: base = "SINGLE"; break;
    default: return "";
    }
    if (type & 0x80) base += "|ANYONECANPAY";
    if (type & 0x40) base += "|FORKID";
    return "[" + base + "]";
}

void append_kv(std::string& out, const char* key, const std::string& raw_value)
{
    out += '"';
    out += key;
    out += "\":";
    out += raw_value;
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

} // namespace

std::string bsv_number_text(uint64_t sats)
{
    if (sats == 0) return "0";
    if (sats < 100) {  // below 10^-6 BSV: exponent form
        std::string digits = std::to_string(sats);
        int exponent = static_cast<int>(digits.size()) - 1 - 8;
        while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
        std::string mantissa = digits.substr(0, 1);
        if (digits.size() > 1) mantissa += "." + digits.substr(1);
        return mantissa + "e" + std::to_string(exponent);
    }
    std::string whole = std::to_string(sats / 100'000'000);
    std::string frac = std::to_string(sats % 100'000'000);
    frac.insert(0, 8 - frac.size(), '0');
    while (!frac.empty() && frac.back() == '0') frac.pop_back();
    return frac.empty() ? whole : whole + "." + frac;
}

std::string script_asm(core::ByteView script, bool signatures)
{
    std::string out;
    size_t pos = 0;
    while (pos < script.size()) {
        if (!out.empty()) out += ' ';
        auto op = tx::read_script_op(script, pos);
        if (!op) {
            out += "[error]";
            break;
        }
        if (op->is_push) {
            if (op->data.empty()) {
                out += "0";
            } else if (op->data.size() <= 4) {
                out += script_number_text(op->data);
            } else if (signatures && core::der_is_strict(op->data.first(op->data.size() - 1)) &&
                       !hash_type_text(op->data.back()).empty()) {
                out += core::hex_encode(op->data.first(op->data.size() - 1)) + hash_type_text(op->data.back());
            } else {
                out += core::hex_encode(op->data);
            }
        } else if (op->opcode >= 0x51 && op->opcode <= 0x60) {
            out += std::to_string(op->opcode - 0x50);
        } else {
            out += opcode_name(op->opcode);
        }
    }
    return out;
}

std::string script_hash_text(core::ByteView script)
{
    auto digest = core::sha256(script);
    std::reverse(digest.begin(), digest.end());
    return core::hex_encode(digest);
}

std::string woc_tx_json(const TxRecord& record, const Block* block, int64_t tip, bool value_sat)
{
    const tx::RawTx& t = record.tx;
    std::string out;
    out.reserve(512 + record.raw.size() * 3);
    out += '{';
    append_kv(out, "txid", quoted(record.txid));
    out += ',';
    append_kv(out, "hash", quoted(record.txid));
    out += ',';
    append_kv(out, "version", std::to_string(t.version));
    out += ',';
    append_kv(out, "size", std::to_string(record.raw.size()));
    out += ',';
    append_kv(out, "locktime", std::to_string(t.lock_time));
    out += ",\"vin\":[";
    for (size_t i = 0; i < t.inputs.size(); ++i) {
        const auto& in = t.inputs[i];
        if (i) out += ',';
        out += '{';
        if (is_coinbase_input(in)) {
            append_kv(out, "coinbase", quoted(core::hex_encode(in.script_sig)));
            out += ",\"txid\":\"\",\"vout\":0,\"scriptSig\":{\"asm\":\"\",\"hex\":\"\"},";
        } else {
            out += "\"coinbase\":\"\",";
            append_kv(out, "txid", quoted(in.prev_txid()));
            out += ',';
            append_kv(out, "vout", std::to_string(in.prev_index));
            out += ",\"scriptSig\":{";
            append_kv(out, "asm", quoted(script_asm(in.script_sig, true)));
            out += ',';
            append_kv(out, "hex", quoted(core::hex_encode(in.script_sig)));
            out += "},";
        }
        append_kv(out, "sequence", std::to_string(in.sequence));
        out += '}';
    }
    out += "],\"vout\":[";
    for (size_t j = 0; j < t.outputs.size(); ++j) {
        const auto& o = t.outputs[j];
        if (j) out += ',';
        out += '{';
        append_kv(out, "value", bsv_number_text(o.value));
        if (value_sat) {
            out += ',';
            append_kv(out, "valueSat", std::to_string(o.value));
        }
        out += ',';
        append_kv(out, "n", std::to_string(j));
        out += ",\"scriptPubKey\":{";
        bool truncated = o.script.size() > TRUNCATE_SCRIPT_BYTES;
        core::ByteView shown = truncated ? core::ByteView(o.script).first(TRUNCATE_SCRIPT_BYTES) : core::ByteView(o.script);
        append_kv(out, "asm", quoted(truncated ? std::string() : script_asm(shown, false)));
        out += ',';
        append_kv(out, "hex", quoted(core::hex_encode(shown)));
        auto p2pkh = tx::p2pkh_hash(o.script);
        if (p2pkh) {
            out += ",\"reqSigs\":1,\"type\":\"pubkeyhash\",\"addresses\":[";
            out += quoted(core::address_from_hash160(*p2pkh));
            out += ']';
        } else if (is_data_script(o.script)) {
            out += ",\"type\":\"nulldata\"";
        } else {
            out += ",\"type\":\"nonstandard\"";
        }
        out += ",\"isTruncated\":";
        out += truncated ? "true" : "false";
        out += "}}";
    }
    out += ']';
    if (block) {
        out += ',';
        append_kv(out, "blockhash", quoted(block->hash));
        out += ',';
        append_kv(out, "confirmations", std::to_string(tip - block->height + 1));
        out += ',';
        append_kv(out, "time", std::to_string(block->time));
        out += ',';
        append_kv(out, "blocktime", std::to_string(block->time));
        out += ',';
        append_kv(out, "blockheight", std::to_string(block->height));
    }
    out += '}';
    return out;
}

} // namespace devnet
