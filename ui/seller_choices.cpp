#include "ui/seller_choices.h"

#include <algorithm>

namespace ui {

const std::string& seller_label(const book::Listing& listing)
{
    return listing.handle.empty() ? listing.paymail : listing.handle;
}

std::vector<std::string> seller_choices(const std::vector<book::Listing>& book)
{
    std::vector<std::string> out;
    out.reserve(book.size());
    for (const auto& listing : book) {
        const std::string& label = seller_label(listing);
        if (!label.empty()) out.push_back(label);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

std::string reselected_seller(const std::vector<std::string>& choices, const std::string& previous)
{
    if (previous.empty()) return {};
    return std::binary_search(choices.begin(), choices.end(), previous) ? previous : std::string();
}

} // namespace ui
