// A private shared data directory for the fuzz targets of the data directory's files: one HD
// wallet "w1" in the registry, this process registered as an app and bound to it, its keys
// loaded. The directory lives under the system's temporary folder and goes when the process
// exits normally.
#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include "wallet/wallet_session.h"

namespace fuzz {

inline constexpr const char* FUZZ_WALLET_ID = "w1";
inline constexpr const char* FUZZ_INSTANCE = "/opt/agoran-fuzz";

class DataDirFixture {
public:
    // Sets everything up once; later calls return the same fixture.
    static DataDirFixture& instance();

    // Replaces the file at path (or data() / relative) with the bytes, creating its folder.
    void write_absolute(const std::filesystem::path& path, std::string_view bytes) const;
    void write(const std::filesystem::path& relative, std::string_view bytes) const { write_absolute(m_data / relative, bytes); }
    // Rewrites the registry, the bind file and the HD wallet file as set up, and binds and loads
    // the wallet again in a fresh session (after a target broke them).
    void restore() const;
    // The session the targets run in (registered and bound by restore()).
    wallet::WalletSession& wallet() const { return *m_wallet; }
    // A program started again: a fresh session registers as the app; the wallet it is then bound
    // to must be nothing or an id that stays inside the wallets folder.
    void restart_and_check_binding() const;

private:
    DataDirFixture();
    std::filesystem::path m_data;
    mutable std::unique_ptr<wallet::WalletSession> m_wallet;
};

} // namespace fuzz
