#include "funding/json_store.h"

#include <chrono>
#include <system_error>

#include "core/json_get.h"
#include "wallet/file_io.h"

namespace funding {

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

bool write_store(const std::filesystem::path& path, std::string_view array_member, const nlohmann::json& doc)
{
    if (read_store(path, array_member).state == StoreState::Malformed) {
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

} // namespace funding
