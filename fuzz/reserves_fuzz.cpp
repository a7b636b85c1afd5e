// The listing reserves file on any content: it reads as a list without crashing, and adding a
// reserve to it keeps every reserve that was read (a malformed file is kept aside, not lost).
#include <algorithm>
#include <filesystem>

#include "fuzz/data_dir_fixture.h"
#include "fuzz/fuzz_check.h"
#include "funding/reserves.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto& fixture = fuzz::DataDirFixture::instance();
    const auto path = funding::reserves_path(fixture.wallet());
    std::error_code ec;
    std::filesystem::remove_all(path.parent_path(), ec);
    fixture.write_absolute(path, fuzz::as_text(data, size));

    const auto before = funding::reserve_list(fixture.wallet());
    const tx::Outpoint outpoint{*tx::Txid::parse(std::string(64, 'c')), 7};
    for (const auto& r : before) {
        if (r.listing) (void)funding::reserve_for_listing(fixture.wallet(), *r.listing);
        (void)funding::reserve_holds(fixture.wallet(), r.utxo);
    }
    const bool already = funding::reserve_holds(fixture.wallet(), outpoint);
    const bool added = funding::reserve_add(fixture.wallet(), outpoint, "origin", 5).ok();
    if (already) return 0;
    FUZZ_CHECK(added);
    FUZZ_CHECK(funding::reserve_holds(fixture.wallet(), outpoint));
    const auto after = funding::reserve_list(fixture.wallet());
    for (const auto& r : before) {
        FUZZ_CHECK(std::any_of(after.begin(), after.end(), [&](const funding::Reserve& a) {
            return a.utxo == r.utxo && a.listing == r.listing && a.exp == r.exp;
        }));
    }
    return 0;
}
