#include "ui/chart_window.h"
#include "core/market_clock.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QHBoxLayout>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>

#include "ui/widgets.h"

namespace ui {

namespace {

double bsv_of(int64_t sats) { return static_cast<double>(sats) / 100'000'000.0; }

QComboBox* make_combo(const char* name, const QStringList& items, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    return combo;
}

} // namespace

ChartWindow::ChartWindow(std::vector<book::HistoryRow> rows, QWidget* owner)
    : DialogWindow("TavrinNodeAgoranChart", "History chart", "", owner), m_rows(std::move(rows))
{
    QStringList ranges;
    for (const char* name : CHART_RANGE_NAMES) ranges << name;
    m_range = make_combo("range", ranges, this);
    m_range->setCurrentIndex(static_cast<int>(DEFAULT_CHART_RANGE));
    QStringList modes;
    for (const char* name : CHART_MODE_NAMES) modes << name;
    m_mode = make_combo("mode", modes, this);
    auto* choices = new QHBoxLayout;
    choices->addWidget(m_range);
    choices->addWidget(m_mode);
    choices->addStretch();
    body()->addLayout(choices);
    m_summary = make_label("", "value", this);
    m_summary->setObjectName("summary");
    body()->addWidget(m_summary);

    m_plot = new QChart();
    // One pair of axes for the window's life: each range refills them.
    m_x = new QBarCategoryAxis();
    m_y = new QValueAxis();
    m_plot->addAxis(m_x, Qt::AlignBottom);
    m_plot->addAxis(m_y, Qt::AlignLeft);
    m_plot->legend()->setAlignment(Qt::AlignBottom);
    m_plot->setBackgroundRoundness(6);
    m_plot->setAnimationOptions(QChart::NoAnimation);
    m_view = new QChartView(m_plot, this);
    m_view->setObjectName("plot");
    m_view->setRenderHint(QPainter::Antialiasing, true);
    m_view->setMinimumSize(560, 300);
    body()->addWidget(m_view, 1);

    addCloseButton();

    connect(m_range, &QComboBox::currentIndexChanged, this, [this] { recompute(core::system_seconds()); });
    connect(m_mode, &QComboBox::currentIndexChanged, this, [this] { recompute(core::system_seconds()); });
    recompute(core::system_seconds());
}

void ChartWindow::recompute(int64_t now)
{
    const auto range = static_cast<ChartRange>(std::max(0, m_range->currentIndex()));
    const auto mode = static_cast<ChartMode>(std::max(0, m_mode->currentIndex()));
    m_chart = history_chart(m_rows, range, now);
    m_summary->setText(qtext(chart_summary_text(m_chart)));
    draw(mode, bucket_labels(m_chart, local_time_text));
}

void ChartWindow::draw(ChartMode mode, const std::vector<std::string>& labels)
{
    const Theme& theme = active_theme();
    m_plot->removeAllSeries();
    m_plot->setBackgroundBrush(qcolor(theme.panel));
    m_plot->setPlotAreaBackgroundVisible(false);
    m_plot->legend()->setLabelColor(qcolor(theme.muted));

    // One category per bucket, each labelled with its start.
    QBarCategoryAxis* x = m_x;
    x->clear();
    for (const auto& label : labels) x->append(qtext(label));
    x->setGridLineVisible(false);
    x->setLabelsColor(qcolor(theme.muted));
    x->setLinePenColor(qcolor(theme.border));
    x->setLabelsAngle(labels.size() > 12 ? -60 : 0);

    int64_t top = 0;
    for (size_t i = 0; i < m_chart.in.size(); ++i) top = std::max({top, m_chart.in[i], m_chart.out[i]});
    const ChartScale scale = chart_scale(top);
    QValueAxis* y = m_y;
    y->setRange(0, bsv_of(scale.top()));
    y->setTickCount(scale.steps + 1);
    y->setLabelFormat(QString("%.%1f").arg(scale.decimals));
    y->setTitleText("BSV");
    y->setTitleBrush(qcolor(theme.muted));
    y->setLabelsColor(qcolor(theme.muted));
    y->setLinePenColor(qcolor(theme.border));
    y->setGridLineColor(qcolor(blend(theme.panel, theme.border, 140)));

    const char* names[2] = {"In (sales)", "Out (purchases)"};
    if (mode == ChartMode::Line) {
        for (int side = 0; side < 2; ++side) {
            auto* series = new QLineSeries();
            const auto& values = side == 0 ? m_chart.in : m_chart.out;
            for (size_t i = 0; i < values.size(); ++i) series->append(static_cast<qreal>(i), bsv_of(values[i]));
            series->setPen(QPen(qcolor(side == 0 ? theme.accent : theme.muted), 2));
            series->setName(names[side]);
            m_plot->addSeries(series);
            series->attachAxis(x);
            series->attachAxis(y);
        }
    } else {
        auto* series = new QBarSeries();
        for (int side = 0; side < 2; ++side) {
            auto* set = new QBarSet(names[side]);
            for (int64_t value : side == 0 ? m_chart.in : m_chart.out) *set << bsv_of(value);
            set->setColor(qcolor(side == 0 ? theme.accent : theme.muted));
            set->setBorderColor(qcolor(side == 0 ? theme.accent : theme.muted));
            series->append(set);
        }
        m_plot->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }
}

} // namespace ui
