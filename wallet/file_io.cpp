#include "wallet/file_io.h"

#include <fstream>
#include <iterator>

#include "core/json_get.h"
#include "core/secret_json.h"
#include "platform/atomic_file.h"

namespace wallet {

std::optional<std::string> read_text_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return text;
}

std::optional<core::SecretString> read_secret_file(const std::filesystem::path& path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return std::nullopt;
    // Unbuffered, and into a buffer sized once: neither the stream's own buffer nor a
    // reallocation leaves a copy of the secret behind.
    std::ifstream in;
    in.rdbuf()->pubsetbuf(nullptr, 0);
    in.open(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(static_cast<size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return core::SecretString(std::move(text));
}

std::optional<nlohmann::json> read_json_file(const std::filesystem::path& path)
{
    auto text = read_text_file(path);
    if (!text) return std::nullopt;
    return core::parse_json(*text);
}

void wipe_json(nlohmann::json& value)
{
    if (value.is_string()) {
        core::secure_wipe(value.get_ref<std::string&>());
    } else if (value.is_structured()) {
        for (auto& element : value) wipe_json(element);
    }
}

void read_secret_json(const std::filesystem::path& path, SecretJson& out)
{
    wipe_json(out.doc());
    out.doc() = nullptr;
    auto text = read_secret_file(path);
    if (!text) return;
    auto doc = core::parse_secret_json(text->view());
    if (doc) out.doc() = std::move(*doc);
}

bool write_json_file(const std::filesystem::path& path, const nlohmann::json& value)
{
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    const core::SecretString text = core::dump_secret_json_file(value);
    return platform::write_file_atomic(path, text.view(), platform::FileAccess::OwnerOnly);
}

} // namespace wallet
