#include "ui/chart_window.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>

#include <algorithm>
#include <chrono>

namespace ui {

namespace {

constexpr int CAPTION_HEIGHT = 26;

double bsv_of(int64_t sats) { return static_cast<double>(sats) / 100'000'000.0; }

int64_t unix_now()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

QComboBox* make_combo(int id, const QStringList& items, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::number(id));
    combo->setFont(app_font(FontRole::Edit));
    combo->addItems(items);
    return combo;
}

} // namespace

ChartPlot::ChartPlot(QWidget* parent) : QFrame(parent)
{
    setObjectName("TavrinNodeAgoranChartPlot");
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    m_chart = new QChart();
    m_chart->legend()->hide();
    m_chart->setMargins(QMargins(6, 6, 6, 2));
    m_chart->setBackgroundRoundness(0);
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_view = new QChartView(m_chart, this);
    m_view->setRenderHint(QPainter::Antialiasing, true);
    m_view->setFrameShape(QFrame::NoFrame);
}

void ChartPlot::setData(const HistoryChart& data, ChartMode mode, const std::vector<std::string>& labels)
{
    const Theme& theme = active_theme();
    m_chart->removeAllSeries();
    for (QAbstractAxis* axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    m_chart->setBackgroundBrush(qcolor(theme.panel));
    m_chart->setPlotAreaBackgroundVisible(false);
    m_view->setBackgroundBrush(qcolor(theme.panel));

    QStringList categories;
    for (const auto& label : labels) categories << qtext(label);
    auto* x = new QBarCategoryAxis();
    x->append(categories);
    x->setLabelsVisible(false);
    x->setGridLineVisible(false);
    x->setLinePenColor(qcolor(theme.border));
    auto* y = new QValueAxis();
    int64_t top = 0;
    for (size_t i = 0; i < data.in.size(); ++i) top = std::max({top, data.in[i], data.out[i]});
    y->setRange(0, top > 0 ? bsv_of(top) * 1.1 : 1.0);
    y->setLabelFormat("%.4g");
    y->setLabelsColor(qcolor(theme.muted));
    y->setLinePenColor(qcolor(theme.border));
    y->setGridLineColor(qcolor(blend(theme.panel, theme.border, 140)));
    m_chart->addAxis(x, Qt::AlignBottom);
    m_chart->addAxis(y, Qt::AlignLeft);

    if (mode == ChartMode::Line) {
        for (bool in : {true, false}) {
            auto* series = new QLineSeries();
            const auto& values = in ? data.in : data.out;
            for (size_t i = 0; i < values.size(); ++i) series->append(static_cast<qreal>(i), bsv_of(values[i]));
            series->setPen(QPen(qcolor(in ? theme.accent : theme.muted), 2));
            series->setName(in ? "in" : "out");
            m_chart->addSeries(series);
            series->attachAxis(x);
            series->attachAxis(y);
        }
    } else {
        auto* series = new QBarSeries();
        for (bool in : {true, false}) {
            auto* set = new QBarSet(in ? "in" : "out");
            for (int64_t value : in ? data.in : data.out) *set << bsv_of(value);
            set->setColor(qcolor(in ? theme.accent : theme.muted));
            set->setBorderColor(qcolor(in ? theme.accent : theme.muted));
            series->append(set);
        }
        m_chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }
    m_caption = qtext(chart_caption_text(labels));
    update();
}

void ChartPlot::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    const QRect inner = contentsRect();
    m_view->setGeometry(inner.adjusted(0, 0, 0, -CAPTION_HEIGHT));
}

void ChartPlot::paintEvent(QPaintEvent* event)
{
    {
        QPainter p(this);
        const Theme& theme = active_theme();
        p.fillRect(contentsRect(), qcolor(theme.panel));
        QFont font = app_font(FontRole::RowCount);
        font.setPixelSize(13);
        p.setFont(font);
        p.setPen(qcolor(theme.muted));
        const QRect inner = contentsRect();
        p.drawText(QRect(inner.left() + 10, inner.bottom() - CAPTION_HEIGHT + 1, inner.width() - 20, CAPTION_HEIGHT),
                   Qt::AlignLeft | Qt::AlignVCenter, m_caption);
    }
    QFrame::paintEvent(event);
}

ChartWindow::ChartWindow(std::vector<book::HistoryRow> rows, QWidget* owner)
    : DialogWindow("TavrinNodeAgoranChart", "History chart", owner), m_rows(std::move(rows))
{
    resize(WIDTH, HEIGHT);
    setMinimumSize(480, 360);
    QStringList ranges;
    for (const char* name : CHART_RANGE_NAMES) ranges << name;
    m_range = make_combo(ID_CHART_RANGE, ranges, this);
    m_range->setCurrentIndex(static_cast<int>(DEFAULT_CHART_RANGE));
    QStringList modes;
    for (const char* name : CHART_MODE_NAMES) modes << name;
    m_mode = make_combo(ID_CHART_MODE, modes, this);
    m_summary = new TextLabel(ID_CHART_SUMMARY, "", FontRole::Edit, this);
    m_summary->setColour(qcolor(active_theme().text));
    m_plot = new ChartPlot(this);
    m_close = make_button(ID_CHART_CLOSE, "Close", this);
    connect(m_close, &QAbstractButton::clicked, this, &QWidget::close);
    setDefaultButton(m_close);
    connect(m_range, &QComboBox::currentIndexChanged, this, [this] { recompute(unix_now()); });
    connect(m_mode, &QComboBox::currentIndexChanged, this, [this] { recompute(unix_now()); });
    recompute(unix_now());
}

QString ChartWindow::summary() const { return m_summary->text(); }

void ChartWindow::recompute(int64_t now)
{
    const auto range = static_cast<ChartRange>(std::max(0, m_range->currentIndex()));
    const auto mode = static_cast<ChartMode>(std::max(0, m_mode->currentIndex()));
    m_chart = history_chart(m_rows, range, now);
    m_summary->setText(qtext(chart_summary_text(m_chart)));
    m_plot->setData(m_chart, mode, bucket_labels(m_chart, local_time_text));
}

void ChartWindow::resizeEvent(QResizeEvent*)
{
    // The plot takes what the window gains.
    m_range->setGeometry(16, 14, 160, 28);
    m_mode->setGeometry(188, 14, 120, 28);
    m_summary->setGeometry(16, 48, width() - 80, 28);
    m_plot->setGeometry(16, 80, width() - 80, height() - 200);
    m_close->setGeometry(16, height() - 110, 120, 34);
}

} // namespace ui
