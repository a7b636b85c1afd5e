// The book table on a search keystroke: the main window refilled over a book of 20,000
// listings (filter pass, selection kept, row count), the same with the rows ordered by price,
// and with the repaint that follows. Run on the offscreen platform:
//   build/bench/ui_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>

#include <benchmark/benchmark.h>

#include <memory>

#include "ui/book_filter.h"
#include "ui/main_texts.h"
#include "ui/main_window.h"
#include "ui/tools/sample_market.h"
#include "ui/ui_style.h"

namespace {

QApplication& application()
{
    static int argc = 1;
    static char name[] = "ui_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        auto* a = new QApplication(argc, argv);
        QApplication::setStyle("Fusion");
        ui::set_active_theme(0);
        return a;
    }();
    return *app;
}

struct Window {
    std::shared_ptr<ui::ScriptedServices> services = std::make_shared<ui::ScriptedServices>();
    std::unique_ptr<ui::MainWindow> window;
    QLineEdit* search = nullptr;

    explicit Window(size_t listings)
    {
        application();
        services->set_book(ui::sample_book(listings));
        ui::MainWindow::Options options;
        options.start_update_check = false;
        window = std::make_unique<ui::MainWindow>(services, options);
        window->show();
        QElapsedTimer waited;
        waited.start();
        while (window->controller().isBusy() && waited.elapsed() < 30000) QApplication::processEvents();
        window->table()->selectRow(5);
        search = window->findChild<QLineEdit*>("search");
    }
};

// Keystrokes of a user typing a ticker, then deleting it again.
const char* const KEYSTROKES[] = {"o", "ob", "obo", "obol", "obo", "ob", "o", ""};

void BM_RefillOnKeystroke(benchmark::State& state)
{
    Window w(static_cast<size_t>(state.range(0)));
    size_t i = 0;
    for (auto _ : state) {
        w.search->setText(KEYSTROKES[i++ % std::size(KEYSTROKES)]);  // textChanged -> refillTable
        benchmark::DoNotOptimize(w.window->table()->model()->rowCount());
    }
    state.counters["rows_shown"] = w.window->table()->model()->rowCount();
}
BENCHMARK(BM_RefillOnKeystroke)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_RefillSortedByPriceOnKeystroke(benchmark::State& state)
{
    Window w(static_cast<size_t>(state.range(0)));
    w.window->table()->sortByColumn(static_cast<int>(ui::BookColumn::Price), Qt::AscendingOrder);
    size_t i = 0;
    for (auto _ : state) {
        w.search->setText(KEYSTROKES[i++ % std::size(KEYSTROKES)]);
        benchmark::DoNotOptimize(w.window->table()->model()->rowCount());
    }
}
BENCHMARK(BM_RefillSortedByPriceOnKeystroke)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_RefillAndRepaintOnKeystroke(benchmark::State& state)
{
    Window w(static_cast<size_t>(state.range(0)));
    size_t i = 0;
    for (auto _ : state) {
        w.search->setText(KEYSTROKES[i++ % std::size(KEYSTROKES)]);
        w.window->table()->viewport()->repaint();
    }
}
BENCHMARK(BM_RefillAndRepaintOnKeystroke)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_FilterPassOnly(benchmark::State& state)
{
    const auto book = ui::sample_book(static_cast<size_t>(state.range(0)));
    std::vector<std::string> hay;
    for (const auto& l : book) hay.push_back(ui::search_haystack(l));
    ui::BookFilter filter;
    filter.query = "obol";
    for (auto _ : state) {
        size_t shown = 0;
        for (size_t r = 0; r < book.size(); ++r) shown += ui::listing_passes(book[r], hay[r], filter) ? 1 : 0;
        benchmark::DoNotOptimize(shown);
    }
}
BENCHMARK(BM_FilterPassOnly)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace
