// Secrets outlive no buffer and reach no text: the mnemonic, the seed and the private keys are
// wiped from every heap block they leave, on the paths that succeed and on those that fail; no
// log line, progress text or result sentence carries them; the files that hold wallet data are
// readable by their owner only.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/hex.h"
#include "funding/pay.h"
#include "funding/reserves.h"
#include "tests/funding/funding_fixture.h"
#include "tests/support/log_capture.h"
#include "tests/support/pursa_program.h"
#include "tests/wallet/wallet_fixture.h"
#include "tx/script.h"
#include "tx/sign.h"
#include "wallet/app_binding.h"
#include "wallet/connect.h"
#include "wallet/hd_derive.h"
#include "wallet/identity_keys.h"
#include "wallet/lots_cache.h"
#include "wallet/mnemonic.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_key.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

// A check that secrets never outlive their buffers: while a scan is on, every block this test
// program frees through operator delete is searched for the secrets given, before it goes back
// to the heap. A block that still holds one was freed without being wiped.
//
// The program's operator new and delete are replaced for this, below. Under
// AddressSanitizer or ThreadSanitizer, which bring their own, the scan is not built and
// AGORAN_SCAN_FREED is 0.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define AGORAN_SCAN_FREED 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define AGORAN_SCAN_FREED 0
#endif
#endif
#ifndef AGORAN_SCAN_FREED
#define AGORAN_SCAN_FREED 1
#endif

namespace {

constexpr size_t MAX_SECRETS = 16;
constexpr size_t MAX_SECRET = 256;
using FoundIn = std::array<size_t, MAX_SECRETS>;  // per secret, the size of a freed block that held it; 0: none

// Fixed storage only: the scan runs inside operator delete and must not allocate. Constant
// initialisation: deletes come before and after any dynamic initialiser.
struct ScanState {
    std::mutex mutex;
    std::atomic<bool> on{false};
    std::array<std::array<char, MAX_SECRET>, MAX_SECRETS> secrets{};
    std::array<size_t, MAX_SECRETS> sizes{};
    size_t count = 0;
    FoundIn found_in{};
};

constinit ScanState g_scan;

[[maybe_unused]] void scan_block(const void* block, size_t size)
{
    if (!g_scan.on.load(std::memory_order_acquire)) return;
    std::lock_guard<std::mutex> lock(g_scan.mutex);
    const char* begin = static_cast<const char*>(block);
    for (size_t i = 0; i < g_scan.count; ++i) {
        const char* secret = g_scan.secrets[i].data();
        if (g_scan.sizes[i] > size || std::search(begin, begin + size, secret, secret + g_scan.sizes[i]) == begin + size) continue;
        g_scan.found_in[i] = size;
        // Under a debugger, AGORAN_SCAN_ABORT=1 stops at the delete that leaves the secret.
        if (std::getenv("AGORAN_SCAN_ABORT")) std::abort();
    }
}

void start_freed_memory_scan(const std::vector<std::string>& secrets)
{
    std::lock_guard<std::mutex> lock(g_scan.mutex);
    g_scan.count = 0;
    g_scan.found_in = {};
    for (const auto& secret : secrets) {
        if (g_scan.count == MAX_SECRETS || secret.empty() || secret.size() > MAX_SECRET) std::abort();
        std::memcpy(g_scan.secrets[g_scan.count].data(), secret.data(), secret.size());
        g_scan.sizes[g_scan.count++] = secret.size();
    }
    g_scan.on.store(true, std::memory_order_release);
}

FoundIn stop_freed_memory_scan()
{
    std::lock_guard<std::mutex> lock(g_scan.mutex);
    g_scan.on.store(false, std::memory_order_release);
    return g_scan.found_in;
}

} // namespace

#if AGORAN_SCAN_FREED
// Every block carries its size in a 16-byte header, so that delete knows how much to search.
namespace {

constexpr size_t HEADER = 16;

void* allocate(size_t size)
{
    void* base = std::malloc(size + HEADER);
    if (!base) return nullptr;
    *static_cast<size_t*>(base) = size;
    return static_cast<char*>(base) + HEADER;
}

void release(void* block) noexcept
{
    if (!block) return;
    char* base = static_cast<char*>(block) - HEADER;
    const size_t size = *reinterpret_cast<size_t*>(base);
    scan_block(block, size);
    // Cleared once searched: a later block carved from this memory never shows a finding that
    // belongs to a delete made before the scan started (or already reported).
    std::memset(block, 0, size);
    std::free(base);
}

} // namespace

void* operator new(size_t size)
{
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, size_t) noexcept { release(p); }
void operator delete[](void* p, size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
#endif

namespace {

namespace fs = std::filesystem;
using wallettest::LEGAL_MNEMONIC;

std::string as_string(core::ByteView bytes) { return std::string(bytes.begin(), bytes.end()); }

// Every form a secret of the wallet takes in memory: the mnemonic (and its first words), the
// seed, the master key and the first receive key, as bytes and as hex.
std::vector<std::string> secrets_of(const std::string& mnemonic)
{
    std::vector<std::string> out{mnemonic, mnemonic.substr(0, mnemonic.find(' ', mnemonic.find(' ') + 1))};
    const core::SecretBytes seed = wallet::mnemonic_to_seed(mnemonic);
    out.push_back(as_string(seed.view()));
    const core::SecretBytes master = wallet::master_key_from_seed(seed.view());
    out.push_back(as_string(master.view().subspan(0, 32)));
    const auto key = wallet::derive_from_master(master, wallet::account_path(1, 0));
    EXPECT_TRUE(key);
    if (key) {
        out.emplace_back(key->priv_hex.str());
        out.push_back(as_string(*core::hex_decode(key->priv_hex.view())));
    }
    return out;
}

class SecretHygiene : public wallettest::WalletDirTest {
protected:
    // Runs step with freed blocks searched for the secrets; file set-up stays outside.
    void scanned(const std::function<void()>& step)
    {
        start_freed_memory_scan(m_secrets);
        step();
        const FoundIn found_in = stop_freed_memory_scan();
        for (size_t i = 0; i < m_secrets.size(); ++i) {
            EXPECT_EQ(found_in[i], 0u) << "a freed block of that size still held secret #" << i
                                       << " (0 mnemonic, 1 its first words, 2 seed, 3 master key, 4 key hex, 5 key bytes)";
        }
    }
    std::vector<std::string> m_secrets;
};

// Each row leaves the wallet file as given (the first, the good file bound at the start) and
// runs its step with freed blocks searched: the keys loaded, derived, used to sign, saved and
// forgotten; then files that hold the mnemonic but are refused for another reason, or torn in it.
TEST_F(SecretHygiene, EveryPathWipesEveryBuffer)
{
    if (!AGORAN_SCAN_FREED) GTEST_SKIP() << "the sanitizers bring their own allocator";
    m_secrets = secrets_of(LEGAL_MNEMONIC);
    bind_single_wallet(hd_wallet(LEGAL_MNEMONIC, {{"recv", {0, 3, 0, 0, 0, 0}}}));
    const auto use_keys = [&] {
        wallet::WalletLock lock(ws());
        ASSERT_TRUE(wallet::wallet_load(ws()));
        for (uint32_t i = 0; i < 4; ++i) ASSERT_TRUE(wallet::account_key(ws(), 1, i));
        ASSERT_TRUE(wallet::ordinals_key(ws()));
        EXPECT_TRUE(wallet::identity_sign(ws(), "TV1|post").error.empty());
        EXPECT_TRUE(wallet::bn_key(ws()).error.empty());
        const auto key = wallet::key_for_address(ws(), ws().state().recv_address);
        ASSERT_TRUE(key);
        const auto hash = *core::hash160_from_address(key->address);
        std::vector<tx::TxInput> ins(1);
        ins[0].pub_key_hash = hash;
        ins[0].priv_key_hex.assign(key->priv_hex.str());
        EXPECT_TRUE(tx::tx_sign_input(0, ins, std::vector<tx::TxOutput>{{4000, tx::p2pkh_script(hash)}}, hash, key->priv_hex.view(), key->pub_hex));
        EXPECT_TRUE(wallet::wallet_save(ws()));
        (void)wallet::wallet_summary(ws());
        wallet::wallet_forget(ws());
    };
    const auto refused_load = [&] {
        wallet::WalletLock lock(ws());
        (void)wallet::wallet_load(ws());
        (void)wallet::wallet_summary(ws());
        wallet::wallet_forget(ws());
    };
    const std::pair<std::string, std::function<void()>> rows[] = {
        {"", use_keys},
        {hd_wallet(LEGAL_MNEMONIC, {{"recv", "not a list"}}).dump(), refused_load},
        {hd_wallet(LEGAL_MNEMONIC, {{"show", "x"}}).dump(), refused_load},
        {nlohmann::json{{"mnemonic", std::string(LEGAL_MNEMONIC).replace(0, 5, "zebra")}}.dump(), refused_load},
        {nlohmann::json{{"mnemonic", LEGAL_MNEMONIC}, {"priv", 5}}.dump(), refused_load},
        {"{\"mnemonic\": \"" + std::string(LEGAL_MNEMONIC), refused_load},
    };
    for (const auto& [file, step] : rows) {
        SCOPED_TRACE(file.substr(0, 40));
        if (!file.empty()) write_text(wallet_rel("w1"), file);
        scanned(step);
    }
}

// --- no secret in any text ---

class SecretTexts : public fundingtest::FundingDevnetTest {
protected:
    // What the user reads of a funding or wallet result, searched with the log.
    template <typename Result>
    void said(const Result& result)
    {
        if (!result) m_log.add(error_text(result.error()));
    }

    testsupport::LogCapture m_log;
};

// No log line, progress text, result or Pursa answer carries a secret, on the paths that fail
// and those that succeed; the files with wallet data are then readable by their owner only.
TEST_F(SecretTexts, NoTextCarriesASecretAndWalletFilesAreOwnerOnly)
{
    auto secrets = secrets_of(wallettest::ABANDON_MNEMONIC);
    secrets.resize(2);  // the text forms: the mnemonic and its first words
    std::string key;
    {
        wallet::WalletLock lock(ws());
        secrets.emplace_back(wallet::account_key(ws(), 1, 0)->priv_hex.str());
        secrets.emplace_back(wallet::ordinals_key(ws())->priv_hex.str());
        key = wallet::wallet_key(ws());
    }
    const std::vector<tx::TxOutput> pay_other{{10000, tx::p2pkh_script(fundingtest::OtherParty{}.hash)}};
    said(funding::pay_outputs(session(), pay_other));
    fund(0, {30000});
    devnet().fault("woc", {{"status", 500}, {"body", "boom"}});
    said(funding::pay_outputs(session(), pay_other));
    devnet().clear_faults();
    ASSERT_TRUE(funding::pay_outputs(session(), pay_other));
    ASSERT_TRUE(funding::reserve_add(ws(), {test_txid('a'), 0}, "", 1));
    said(funding::reserve_add(ws(), {test_txid('a'), 0}, "", 1));
    ASSERT_TRUE(wallet::write_lot_snapshot(key, {}));
    {
        wallet::WalletLock lock(ws());
        ASSERT_TRUE(wallet::wallet_save(ws()));
    }
    for (const fs::path& file : {path(wallet_rel("w1")), funding::spent_snapshot_path(key), funding::change_snapshot_path(key),
                                 funding::reserves_path(ws()), path("ord_snap/" + key + ".json"), wallet::bind_path(ws())}) {
        ASSERT_TRUE(fs::exists(file)) << file;
        EXPECT_EQ(fs::status(file).permissions() & (fs::perms::group_all | fs::perms::others_all), fs::perms::none) << file;
    }
    wallet::ConnectOptions options;  // connect and disconnect, with their log lines
    options.max_polls = 1;
    options.poll_interval = std::chrono::milliseconds(1);
    options.start_pursa = [] { return true; };
    options.log = [this](const std::string& line) { m_log.add(line); };
    said(wallet::pursa_connect(ws(), options));
    wallet::pursa_disconnect(ws(), [this](const std::string& line) { m_log.add(line); });
    // A wallet refused at load (the mnemonic fails its check) says so without quoting it.
    write_json(wallet_rel("w1"), hd_wallet(std::string(wallettest::ABANDON_MNEMONIC).replace(0, 7, "zoo")));
    wallet::wallet_forget(ws());
    said(funding::pay_outputs(session(), pay_other));
    // Pursa refusing a mistyped mnemonic does not echo it.
    std::vector<std::string> args = {"restore"};
    for (int i = 0; i < 11; ++i) args.push_back("winner");
    args.push_back("zebra");
    const auto refused = pursatest::run_pursa(m_temp.path(), args);
    EXPECT_NE(refused.exit_code, 0);
    m_log.add(refused.output);
    secrets.insert(secrets.end(), {"winner winner", "zebra"});

    const auto texts = m_log.lines();
    EXPECT_FALSE(texts.empty());
    for (const auto& text : texts) {
        for (size_t i = 0; i < secrets.size(); ++i) {
            EXPECT_EQ(text.find(secrets[i]), std::string::npos) << "secret #" << i << " in: " << text.substr(0, 200);
        }
    }
}

} // namespace
