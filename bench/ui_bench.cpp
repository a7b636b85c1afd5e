// The book table on a search keystroke: the main window refilled over a book of 20,000
// listings (filter pass, proxy reset, selection kept, row count), and the same with the repaint
// that follows. Run on the offscreen platform:
//   build/bench/ui_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <QApplication>
#include <QLineEdit>

#include <benchmark/benchmark.h>

#include <memory>

#include "ui/book_filter.h"
#include "ui/control_ids.h"
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
        ui::MainWindow::Options options;
        options.start_first_load = false;
        options.start_update_check = false;
        window = std::make_unique<ui::MainWindow>(services, options);
        window->show();
        auto payload = std::make_unique<ui::BookLoadedPayload>();
        payload->listings = ui::sample_book(listings);
        window->postTarget()->post(ui::MSG_BOOK_LOADED, std::move(payload));
        QApplication::processEvents();
        window->table()->selectRow(5);
        search = window->findChild<QLineEdit*>(QString::number(ui::ID_SEARCH));
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
