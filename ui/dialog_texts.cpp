#include "ui/dialog_texts.h"

namespace ui {

std::string publish_name_first(const std::string& registry_domain)
{
    return "Publish a @" + registry_domain + " name in Pursa first.";
}

} // namespace ui
