#include "ui/version_check.h"

#include "core/text.h"
#include <cstdio>

namespace ui {

namespace {

void replace_all(std::string& text, std::string_view from, std::string_view to)
{
    size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
}

std::string strip_markup(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    bool in_tag = false;
    for (char c : text) {
        if (c == '<') {
            in_tag = true;
        } else if (c == '>') {
            in_tag = false;
            out += ' ';
        } else if (!in_tag) {
            out += c;
        }
    }
    return out;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int convert_version(std::string run)
{
    size_t a = 0;
    size_t b = run.size();
    while (a < b && static_cast<unsigned char>(run[a]) <= 32) ++a;
    while (b > a && static_cast<unsigned char>(run[b - 1]) <= 32) --b;
    run = run.substr(a, b - a);
    if (run.empty()) return -1;
    const size_t point = run.find('.');
    if (point != std::string::npos) {
        // A decimal number of units, read without the C locale's help: the whole part, then
        // the fraction up to any second point ("1.2.3" reads as 1.2).
        const std::string whole = run.substr(0, point);
        std::string fraction = run.substr(point + 1);
        fraction = fraction.substr(0, fraction.find('.'));
        if (whole.empty() && fraction.empty()) return -1;
        long long units = 0;
        for (char c : whole) {
            units = units * 10 + (c - '0');
            if (units > 2147483) return -1;
        }
        long long thousandths = units * 1000;
        for (size_t k = 0; k < 3; ++k)
            thousandths += (k < fraction.size() ? fraction[k] - '0' : 0) * (k == 0 ? 100 : k == 1 ? 10 : 1);
        if (fraction.size() > 3 && fraction[3] >= '5') ++thousandths;
        if (thousandths > 2147483647LL) return -1;
        return static_cast<int>(thousandths);
    }
    long long value = 0;
    for (char c : run) {
        if (!is_digit(c)) return -1;
        value = value * 10 + (c - '0');
        if (value > 2147483647LL) return -1;
    }
    return static_cast<int>(value);
}

} // namespace

int parse_version_page(std::string_view body)
{
    if (body.size() > VERSION_PAGE_TAIL) body = body.substr(body.size() - VERSION_PAGE_TAIL);
    std::string text(body);
    replace_all(text, "&nbsp;", " ");
    replace_all(text, "&#160;", " ");
    replace_all(text, "&NBSP;", " ");
    text = strip_markup(text);
    const std::string folded = core::ascii_lower(text);

    size_t pos = std::string::npos;
    const size_t build = folded.find("current build");
    if (build != std::string::npos) pos = folded.find("version", build);
    if (pos == std::string::npos) pos = folded.rfind("version");
    if (pos == std::string::npos) return -1;

    size_t i = pos + 7;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == ':' || text[i] == '='))
        ++i;
    size_t j = i;
    while (j < text.size() && (is_digit(text[j]) || text[j] == '.')) ++j;
    if (j == i) return -1;
    return convert_version(text.substr(i, j - i));
}

std::string version_text(int code)
{
    if (code < 0) code = BUILD_VERSION_CODE;
    // "%.3f" of code / 1000, formed from integers so that no locale turns the point into a comma.
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d.%03d", code / 1000, code % 1000);
    return buffer;
}

bool update_available(int code) { return code > BUILD_VERSION_CODE; }

std::string version_label_text(int code, const std::string& product_page)
{
    if (update_available(code)) return "Update available, " + product_page;
    return "Version " + version_text(BUILD_VERSION_CODE);
}

std::string update_question_text(int code, const std::string& product_page)
{
    return "A newer Tavrin Agoran is available.\n\nThis build:  " + version_text(BUILD_VERSION_CODE) +
           "\nLatest:      " + version_text(code) + "\n\nOpen " + product_page + " to download it?";
}

} // namespace ui
