// The "ui.json" settings file: any content selects one of the four themes, and the file written
// for a theme reads back as that theme.
#include "fuzz/fuzz_check.h"
#include "ui/theme.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int theme = ui::theme_from_settings_text(fuzz::as_text(data, size));
    FUZZ_CHECK(theme >= 0 && theme < ui::THEME_COUNT);
    FUZZ_CHECK(ui::theme_from_settings_text(ui::theme_settings_text(theme)) == theme);
    return 0;
}
