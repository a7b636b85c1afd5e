// The chart window "TavrinNodeAgoranChart": BSV in (sales) and out (purchases) through fills
// over a chosen range, as lines or bars (Qt Charts), with the totals above the plot and the
// first and last bucket beneath it. One at a time; it outlives the History window.
#pragma once

#include <QComboBox>
#include <QFrame>

#include <vector>

#include "book/history.h"
#include "ui/dialog_window.h"
#include "ui/history_chart.h"

class QChart;
class QChartView;

namespace ui {

enum ChartControlId : int {
    ID_CHART_RANGE = 1630,
    ID_CHART_MODE = 1631,
    ID_CHART_SUMMARY = 1632,
    ID_CHART_CLOSE = 1634,
};

// The plot "TavrinNodeAgoranChartPlot": a sunken frame around the chart and its caption.
class ChartPlot : public QFrame {
    Q_OBJECT
public:
    explicit ChartPlot(QWidget* parent);
    void setData(const HistoryChart& chart, ChartMode mode, const std::vector<std::string>& labels);
    QChart* chart() const { return m_chart; }
    QString caption() const { return m_caption; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QChart* m_chart = nullptr;
    QChartView* m_view = nullptr;
    QString m_caption;
};

class ChartWindow : public DialogWindow {
    Q_OBJECT
public:
    static constexpr int WIDTH = 720;
    static constexpr int HEIGHT = 480;

    ChartWindow(std::vector<book::HistoryRow> rows, QWidget* owner);

    // The numbers as last computed.
    const HistoryChart& chart() const { return m_chart; }
    QString summary() const;
    ChartPlot* plot() const { return m_plot; }

    // Recomputes for the ranges and mode chosen, as of now (Unix seconds).
    void recompute(int64_t now);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::vector<book::HistoryRow> m_rows;
    HistoryChart m_chart;
    QComboBox* m_range = nullptr;
    QComboBox* m_mode = nullptr;
    TextLabel* m_summary = nullptr;
    ChartPlot* m_plot = nullptr;
    OwnerButton* m_close = nullptr;
};

} // namespace ui
