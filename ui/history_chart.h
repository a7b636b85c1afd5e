// The history chart's numbers: BSV that fills brought in (sales) and took out (purchases),
// summed into buckets over a chosen range, with the bucket labels, the summary line and the
// caption under the plot. Pure; safe from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "book/history.h"
#include "ui/time_text.h"

namespace ui {

// The range drop-down, in its order.
enum class ChartRange { Day, Week, Month, Quarter, All };
inline constexpr std::array<const char*, 5> CHART_RANGE_NAMES = {"24 hours", "7 days", "30 days", "90 days", "All"};
inline constexpr ChartRange DEFAULT_CHART_RANGE = ChartRange::All;

// The mode drop-down, in its order.
enum class ChartMode { Line, Bar };
inline constexpr std::array<const char*, 2> CHART_MODE_NAMES = {"Line", "Bar"};

struct HistoryChart {
    int64_t start = 0;          // first second of bucket 0
    int64_t width = 0;          // seconds a bucket spans
    std::vector<int64_t> in;    // satoshis per bucket: sales
    std::vector<int64_t> out;   // satoshis per bucket: purchases
    int64_t in_total = 0;
    int64_t out_total = 0;
    int64_t bucket_start(size_t i) const { return start + static_cast<int64_t>(i) * width; }
};

// Buckets the "ag_fill" rows for a range ending at now:
//   24 hours  24 x 1 h from now - 1 d;  7 days  7 x 1 d;  30 days  30 x 1 d;  90 days  12 x 7.5 d;
//   All       12 buckets of max((now - E) / 12, 1 d) ending now, E the earliest fill before now.
// Rows without a time are skipped; so are rows before the start, except under All, where they
// count in bucket 0; and rows whose bucket lies past the last. A purchase (side "buy") counts
// as out, any other fill as in. Sums stop at the largest amount rather than wrap.
HistoryChart history_chart(const std::vector<book::HistoryRow>& rows, ChartRange range, int64_t now);

// The label of every bucket, its start: "%H:00" for buckets under a day, "%b %d" while the
// range spans a year at most, "%b %Y" beyond. Labels are always distinct (a plot keys its
// categories by label, and two equal ones would fold the buckets together): when a format
// repeats one, "%Y-%m-%d %H:%M" is used, and any label still repeated gets the bucket's number.
std::vector<std::string> bucket_labels(const HistoryChart& chart, const TimeFormatter& format);

// The value axis in round BSV steps: steps of 1, 2 or 5 times a power of ten satoshis, from 2
// to 5 of them reaching at least the top value, and the decimals a label of one step needs.
struct ChartScale {
    int64_t step = 0;  // satoshis
    int steps = 0;
    int decimals = 0;
    int64_t top() const { return step * steps; }
};
ChartScale chart_scale(int64_t top_sats);

// "In  <in> BSV     Out  <out> BSV     Gross  <in - out> BSV".
std::string chart_summary_text(const HistoryChart& chart);

} // namespace ui
