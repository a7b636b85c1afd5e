#include "ui/history_chart.h"

#include <algorithm>
#include <limits>

#include "core/amount.h"

namespace ui {

namespace {

constexpr int64_t HOUR = 3600;
constexpr int64_t DAY = 86400;
constexpr int64_t WEEK = 604800;
constexpr int64_t QUARTER = 7776000;  // 90 days
constexpr int64_t MAX_AMOUNT = std::numeric_limits<int64_t>::max();

bool is_fill(const book::HistoryRow& row) { return row.type == "ag_fill"; }

int64_t add_capped(int64_t a, int64_t b) { return a > MAX_AMOUNT - b ? MAX_AMOUNT : a + b; }

int64_t amount_of(const book::HistoryRow& row)
{
    return row.pay_sats > static_cast<uint64_t>(MAX_AMOUNT) ? MAX_AMOUNT : static_cast<int64_t>(row.pay_sats);
}

// The earliest fill with a time before now; now when there is none.
int64_t earliest_fill(const std::vector<book::HistoryRow>& rows, int64_t now)
{
    int64_t earliest = now;
    for (const auto& row : rows)
        if (is_fill(row) && row.time >= 1 && row.time < now) earliest = std::min(earliest, row.time);
    return earliest;
}

} // namespace

HistoryChart history_chart(const std::vector<book::HistoryRow>& rows, ChartRange range, int64_t now)
{
    HistoryChart chart;
    size_t buckets = 0;
    switch (range) {
    case ChartRange::Day:
        buckets = 24;
        chart.width = HOUR;
        break;
    case ChartRange::Week:
        buckets = 7;
        chart.width = DAY;
        break;
    case ChartRange::Month:
        buckets = 30;
        chart.width = DAY;
        break;
    case ChartRange::Quarter:
        // Twelve weeks end six days short of 90 days, and the newest fills would fall past the
        // last bucket: twelve buckets of 7.5 days cover the 90 days up to now.
        buckets = 12;
        chart.width = QUARTER / 12;
        break;
    case ChartRange::All:
        buckets = 12;
        chart.width = std::max((now - earliest_fill(rows, now)) / 12, DAY);
        break;
    }
    chart.start = now - static_cast<int64_t>(buckets) * chart.width;
    chart.in.assign(buckets, 0);
    chart.out.assign(buckets, 0);

    for (const auto& row : rows) {
        if (!is_fill(row) || row.time < 1) continue;
        if (row.time < chart.start && range != ChartRange::All) continue;
        const int64_t offset = row.time - chart.start;
        const uint64_t bucket = offset < 0 ? 0 : static_cast<uint64_t>(offset / chart.width);
        if (bucket >= buckets) continue;
        const int64_t amount = amount_of(row);
        if (row.role == "buy") {
            chart.out[bucket] = add_capped(chart.out[bucket], amount);
            chart.out_total = add_capped(chart.out_total, amount);
        } else {
            chart.in[bucket] = add_capped(chart.in[bucket], amount);
            chart.in_total = add_capped(chart.in_total, amount);
        }
    }
    return chart;
}

std::vector<std::string> bucket_labels(const HistoryChart& chart, const TimeFormatter& format)
{
    const int64_t span = chart.width * static_cast<int64_t>(chart.in.size());
    const char* pattern = chart.width < DAY ? "%H:00" : span <= 365 * DAY ? "%b %d" : "%b %Y";
    auto label_all = [&](const char* with) {
        std::vector<std::string> labels;
        for (size_t i = 0; i < chart.in.size(); ++i) labels.push_back(format(chart.bucket_start(i), with));
        return labels;
    };
    auto distinct = [](std::vector<std::string> labels) {
        std::sort(labels.begin(), labels.end());
        return std::adjacent_find(labels.begin(), labels.end()) == labels.end();
    };
    std::vector<std::string> labels = label_all(pattern);
    if (!distinct(labels)) labels = label_all("%Y-%m-%d %H:%M");
    if (!distinct(labels))
        for (size_t i = 0; i < labels.size(); ++i) labels[i] += " #" + std::to_string(i + 1);
    return labels;
}

ChartScale chart_scale(int64_t top_sats)
{
    ChartScale scale;
    const int64_t top = std::max<int64_t>(top_sats, 1);
    for (int64_t power = 1; power <= MAX_AMOUNT / 50; power *= 10) {
        for (int64_t factor : {1, 2, 5}) {
            const int64_t step = factor * power;
            if (step * 5 < top) continue;
            scale.step = step;
            scale.steps = static_cast<int>(std::max<int64_t>(2, (top + step - 1) / step));
            // Decimals of one step in BSV: 8 less the trailing zeros of the satoshi step.
            int decimals = 8;
            for (int64_t rest = step; rest % 10 == 0 && decimals > 0; rest /= 10) --decimals;
            scale.decimals = decimals;
            return scale;
        }
    }
    return {MAX_AMOUNT / 5, 5, 0};
}

std::string chart_summary_text(const HistoryChart& chart)
{
    // Both totals are at most the largest amount, so their difference cannot overflow.
    return "In  " + core::format_bsv(chart.in_total) + " BSV     Out  " + core::format_bsv(chart.out_total) +
           " BSV     Gross  " + core::format_bsv(chart.in_total - chart.out_total) + " BSV";
}

} // namespace ui
