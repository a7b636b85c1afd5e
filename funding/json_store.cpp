#include "funding/json_store.h"

#include <chrono>
#include <system_error>

#include "core/json_get.h"
#include "platform/file_lock.h"
#include "wallet/file_io.h"

namespace funding {

namespace {

bool write_store(const std::filesystem::path& path, StoreState on_disk, const nlohmann::json& doc)
{
    if (on_disk == StoreState::Malformed) {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::system_clock::now().time_since_epoch()).count();
        std::filesystem::path kept = path;
        kept += ".bad-" + std::to_string(ms);
        std::error_code ec;
        std::filesystem::rename(path, kept, ec);
        if (ec) return false;
    }
    return wallet::write_json_file(path, doc);
}

} // namespace

StoreRead read_store(const std::filesystem::path& path, std::string_view array_member)
{
    StoreRead out;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return out;
    out.state = StoreState::Malformed;
    auto doc = wallet::read_json_file(path);
    if (!doc || !doc->is_object()) return out;
    const auto* member = core::json_member(*doc, array_member);
    if (member && !member->is_array()) return out;
    out.state = StoreState::Ok;
    out.doc = std::move(*doc);
    return out;
}

StoreUpdate update_store(const std::filesystem::path& path, std::string_view array_member,
                         const std::function<bool(nlohmann::json& doc)>& change, std::chrono::milliseconds wait)
{
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    platform::LockFailure failure = platform::LockFailure::None;
    auto lock = platform::FileLock::acquire(platform::lock_path_for(path), wait, &failure);
    if (failure == platform::LockFailure::TimedOut) return StoreUpdate::Busy;
    // A lock file that cannot be made (a read-only folder) leaves the write to fail on its own.
    StoreRead read = read_store(path, array_member);
    nlohmann::json doc = read.state == StoreState::Ok ? std::move(read.doc) : nlohmann::json::object();
    if (!change(doc)) return StoreUpdate::Unchanged;
    return write_store(path, read.state, doc) ? StoreUpdate::Written : StoreUpdate::Failed;
}

} // namespace funding
