// The desktop program's two outside texts (the first byte picks one). The "ui.json" settings:
// any content selects one of the themes, and the file written for a theme reads back as it. The
// version page: the answer is -1 or a version code, and only the page's tail can decide it.
#include "fuzz/fuzz_check.h"
#include "ui/theme.h"
#include "ui/version_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Cursor in(data, size);
    const bool settings = in.take_byte() % 2 == 0;
    const auto text = in.rest_text();
    if (settings) {
        const int theme = ui::theme_from_settings_text(text);
        FUZZ_CHECK(theme >= 0 && theme < ui::THEME_COUNT);
        FUZZ_CHECK(ui::theme_from_settings_text(ui::theme_settings_text(theme)) == theme);
        return 0;
    }
    const int code = ui::parse_version_page(text);
    FUZZ_CHECK(code >= -1);
    (void)ui::version_text(code);
    (void)ui::version_label_text(code, "https://example.invalid/");
    if (text.size() > ui::VERSION_PAGE_TAIL) {
        FUZZ_CHECK(ui::parse_version_page(text.substr(text.size() - ui::VERSION_PAGE_TAIL)) == code);
    }
    return 0;
}
