#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <limits>

#include "ui/history_chart.h"

namespace {

using ui::ChartRange;

constexpr int64_t NOW = 1'790'000'000;
constexpr int64_t HOUR = 3600;
constexpr int64_t DAY = 86400;

book::HistoryRow fill(int64_t time, uint64_t sats, const char* role = "sell")
{
    book::HistoryRow row;
    row.type = "ag_fill";
    row.time = time;
    row.pay_sats = sats;
    row.role = role;
    return row;
}

std::string utc(int64_t t, const char* format)
{
    const std::time_t tt = static_cast<std::time_t>(t);
    char buffer[64];
    std::strftime(buffer, sizeof buffer, format, std::gmtime(&tt));
    return buffer;
}

// A plot keys its categories by label: two equal labels fold buckets together and the series
// fall outside the axis. Every range, and "All" over a year or two, labels each bucket
// differently, even when a format repeats itself.
TEST(HistoryChart, EveryBucketHasItsOwnLabel)
{
    const std::vector<book::HistoryRow> long_ago = {fill(NOW - 400 * DAY, 1), fill(NOW - 800 * DAY, 1)};
    const ui::TimeFormatter same = [](int64_t, const char* format) {
        return std::string(format).find("%Y") == std::string::npos ? std::string("x") : std::string("y");
    };
    for (int r = 0; r < 5; ++r) {
        for (const auto& rows : {std::vector<book::HistoryRow>{}, long_ago}) {
            const auto chart = ui::history_chart(rows, static_cast<ChartRange>(r), NOW);
            for (const auto& formatter : {ui::TimeFormatter(utc), same}) {
                auto labels = ui::bucket_labels(chart, formatter);
                ASSERT_EQ(labels.size(), chart.in.size());
                std::sort(labels.begin(), labels.end());
                EXPECT_EQ(std::adjacent_find(labels.begin(), labels.end()), labels.end()) << r;
            }
        }
    }
}

// "All" spans the history in twelve buckets ending now (a fill before the rounded start counts
// in bucket zero); sales are in, purchases out.
TEST(HistoryChart, AllSpansTheHistoryInTwelveBucketsEndingNow)
{
    auto chart = ui::history_chart({fill(NOW - 2 * DAY, 150'000'000), fill(NOW - DAY - 5 * HOUR, 50'000'000),
                                    fill(NOW - 3 * HOUR, 30'000'000, "buy")},
                                   ChartRange::All, NOW);
    ASSERT_EQ(chart.in.size(), 12u);
    EXPECT_EQ(chart.start, NOW - 12 * DAY);
    EXPECT_EQ(chart.bucket_start(11) + chart.width, NOW);
    EXPECT_EQ(chart.in[10], 200'000'000);
    EXPECT_EQ(chart.out[11], 30'000'000);
    EXPECT_EQ(ui::chart_summary_text(chart), "In  2.00000000 BSV     Out  0.30000000 BSV     Gross  1.70000000 BSV");

    const std::vector<book::HistoryRow> rows = {fill(NOW - 120 * DAY - 5, 700), fill(NOW - 60 * DAY, 300, "buy")};
    chart = ui::history_chart(rows, ChartRange::All, NOW);
    EXPECT_EQ(chart.width, 10 * DAY);
    EXPECT_EQ(chart.in[0], 700);
    EXPECT_EQ(chart.out[6], 300);
    EXPECT_EQ(ui::history_chart(rows, ChartRange::Quarter, NOW).in_total, 0);
}

// A range ends now and starts on its first second: a fill on the start second counts, one
// before it and one on the current second do not; only fills with a time count (one dated ahead
// does not stretch "All"); huge amounts stop at the largest instead of wrapping.
TEST(HistoryChart, WhatCountsInARange)
{
    const int64_t start = NOW - 7 * DAY;
    auto chart = ui::history_chart({fill(start, 1000), fill(start - 1, 2000), fill(NOW - 1, 4000), fill(NOW, 8000)},
                                   ChartRange::Week, NOW);
    EXPECT_EQ(chart.in[0], 1000);
    EXPECT_EQ(chart.in[6], 4000);
    EXPECT_EQ(chart.in_total, 5000);

    book::HistoryRow listed = fill(NOW - HOUR, 999);
    listed.type = "ag_list";
    const std::vector<book::HistoryRow> rows = {listed, fill(0, 999), fill(-5, 999), fill(NOW + DAY, 999)};
    for (int r = 0; r < 5; ++r) EXPECT_EQ(ui::history_chart(rows, static_cast<ChartRange>(r), NOW).in_total, 0) << r;
    EXPECT_EQ(ui::history_chart(rows, ChartRange::All, NOW).width, DAY);

    const uint64_t huge = std::numeric_limits<uint64_t>::max();
    chart = ui::history_chart({fill(NOW - 10, huge), fill(NOW - 20, huge), fill(NOW - 30, 5, "buy")}, ChartRange::Day, NOW);
    EXPECT_EQ(chart.in_total, std::numeric_limits<int64_t>::max());
    EXPECT_GT(chart.in_total - chart.out_total, 0);
}

} // namespace
