#include "devnet/services_file.h"

#include "core/json_get.h"
#include "platform/atomic_file.h"

namespace devnet {

nlohmann::json services_json(const std::string& base, Profile profile)
{
    const int woc_pace = profile == Profile::wan ? WAN_WOC_PER_SECOND : 0;
    return {{"woc_api", base + "/woc/v1/bsv/main"},
            {"woc_site", base + "/woc-site"},
            {"ordinals_api", base + "/ordinals/api"},
            {"ordinals_content", base + "/ordinals"},
            {"arc", base + "/arc"},
            {"registry", base + "/registry"},
            {"product_page", base + "/product"},
            {"pace", {{"woc", woc_pace}, {"ordinals", 0}, {"arc", 0}, {"registry", 0}}}};
}

bool write_services_file(const std::filesystem::path& data_dir, const std::string& base, std::string& error,
                         Profile profile)
{
    std::filesystem::path folder = data_dir / "agoran";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = "cannot create " + folder.string() + ": " + ec.message();
        return false;
    }
    if (!platform::write_file_atomic(folder / "services.json", core::json_dump_file(services_json(base, profile)))) {
        error = "cannot write " + (folder / "services.json").string();
        return false;
    }
    return true;
}

} // namespace devnet
