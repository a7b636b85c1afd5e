// parse_version_page on any page: the answer is -1 or a version code, and only the page's tail
// can decide it.
#include "fuzz/fuzz_check.h"
#include "ui/version_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto page = fuzz::as_text(data, size);
    const int code = ui::parse_version_page(page);
    FUZZ_CHECK(code >= -1);
    (void)ui::version_text(code);
    (void)ui::version_label_text(code, "https://example.invalid/");
    if (page.size() > ui::VERSION_PAGE_TAIL) {
        FUZZ_CHECK(ui::parse_version_page(page.substr(page.size() - ui::VERSION_PAGE_TAIL)) == code);
    }
    return 0;
}
