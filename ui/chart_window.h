// The chart window "TavrinNodeAgoranChart": BSV in (sales) and out (purchases) through fills
// over a chosen range, as lines or bars (Qt Charts): the totals above the plot, a labelled tick
// under every bucket, and the value axis in round BSV steps. One at a time; it outlives the
// History window.
#pragma once

#include <QComboBox>
#include <QLabel>

#include <vector>

#include "book/history.h"
#include "ui/dialog_window.h"
#include "ui/history_chart.h"

class QBarCategoryAxis;
class QChart;
class QChartView;
class QValueAxis;

namespace ui {

class ChartWindow : public DialogWindow {
    Q_OBJECT
public:
    ChartWindow(std::vector<book::HistoryRow> rows, QWidget* owner);

    // The numbers as last computed, and what is drawn of them.
    const HistoryChart& chart() const { return m_chart; }
    QString summary() const { return m_summary->text(); }
    QChart* plot() const { return m_plot; }
    QComboBox* rangeChoice() const { return m_range; }
    QComboBox* modeChoice() const { return m_mode; }

    // Recomputes for the range and mode chosen, as of now (Unix seconds).
    void recompute(int64_t now);

private:
    void draw(ChartMode mode, const std::vector<std::string>& labels);

    std::vector<book::HistoryRow> m_rows;
    HistoryChart m_chart;
    QComboBox* m_range = nullptr;
    QComboBox* m_mode = nullptr;
    QLabel* m_summary = nullptr;
    QChart* m_plot = nullptr;
    QChartView* m_view = nullptr;
    QBarCategoryAxis* m_x = nullptr;
    QValueAxis* m_y = nullptr;
};

} // namespace ui
