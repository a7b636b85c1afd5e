#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <limits>

#include "ui/history_chart.h"

namespace {

using ui::ChartRange;

constexpr int64_t NOW = 1'790'000'000;
constexpr int64_t DAY = 86400;

book::HistoryRow fill(int64_t time, uint64_t sats, const char* role = "sell")
{
    return {.type = "ag_fill", .pay_sats = sats, .time = time, .role = role};
}

// A plot keys its categories by label: two equal labels fold buckets together and the series
// fall outside the axis. Every range labels each bucket differently, even when a format repeats.
TEST(HistoryChart, EveryBucketHasItsOwnLabel)
{
    const ui::TimeFormatter utc = [](int64_t t, const char* format) {
        const std::time_t tt = static_cast<std::time_t>(t);
        char buffer[64];
        std::strftime(buffer, sizeof buffer, format, std::gmtime(&tt));
        return std::string(buffer);
    };
    const ui::TimeFormatter same = [](int64_t, const char* format) {
        return std::string(std::string(format).find("%Y") == std::string::npos ? "x" : "y");
    };
    for (int r = 0; r < 5; ++r) {
        for (const auto& rows : {std::vector<book::HistoryRow>{}, {fill(NOW - 400 * DAY, 1), fill(NOW - 800 * DAY, 1)}}) {
            for (const auto& formatter : {utc, same}) {
                auto labels = ui::bucket_labels(ui::history_chart(rows, static_cast<ChartRange>(r), NOW), formatter);
                std::sort(labels.begin(), labels.end());
                EXPECT_EQ(std::adjacent_find(labels.begin(), labels.end()), labels.end()) << r;
            }
        }
    }
}

// "All" spans the history in twelve buckets ending now (its earliest fill in the first), sales
// in and purchases out; a range
// starts on its first second and ends before the current one; only fills with a time count
// (one dated ahead does not stretch "All"); huge amounts stop at the largest.
TEST(HistoryChart, WhatCountsWhere)
{
    auto chart = ui::history_chart({fill(NOW - 2 * DAY, 150'000'000), fill(NOW - DAY - 5, 50'000'000),
                                    fill(NOW - 3, 30'000'000, "buy"), fill(0, 999), fill(NOW + DAY, 999)},
                                   ChartRange::All, NOW);
    ASSERT_EQ(chart.in.size(), 12u);
    EXPECT_EQ(chart.start, NOW - 12 * DAY);
    EXPECT_EQ(chart.in[10], 200'000'000);
    EXPECT_EQ(chart.out[11], 30'000'000);
    EXPECT_EQ(ui::chart_summary_text(chart), "In  2.00000000 BSV     Out  0.30000000 BSV     Gross  1.70000000 BSV");
    EXPECT_EQ(ui::history_chart({fill(NOW - 120 * DAY - 5, 700)}, ChartRange::All, NOW).in[0], 700);  // before the rounded start

    const int64_t start = NOW - 7 * DAY;
    book::HistoryRow listed = fill(NOW - 1, 16'000);
    listed.type = "ag_list";
    chart = ui::history_chart({fill(start, 1000), fill(start - 1, 2000), fill(NOW - 1, 4000), fill(NOW, 8000), listed},
                              ChartRange::Week, NOW);
    EXPECT_EQ(chart.in[0], 1000);
    EXPECT_EQ(chart.in_total, 5000);

    const uint64_t huge = std::numeric_limits<uint64_t>::max();
    chart = ui::history_chart({fill(NOW - 10, huge), fill(NOW - 20, huge), fill(NOW - 30, 5, "buy")}, ChartRange::Day, NOW);
    EXPECT_EQ(chart.in_total, std::numeric_limits<int64_t>::max());
    EXPECT_GT(chart.in_total - chart.out_total, 0);
}

} // namespace
