// agoran-ui-seed-book: fills a local simulator with a small signed market.
//   agoran-ui-seed-book BASE_URL [LISTINGS]
#include <iostream>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

#include "platform/crash_dumps.h"
#include "ui/tools/seed_market.h"

int main(int argc, char** argv)
{
    if (!platform::disable_crash_dumps()) std::cerr << platform::CRASH_DUMPS_WARNING << "\n";  // it signs with the traders' keys
    if (argc < 2) {
        std::fprintf(stderr, "usage: agoran-ui-seed-book BASE_URL [LISTINGS]\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int listings = argc > 2 ? std::max(1, std::atoi(argv[2])) : 36;
    const ui::SeedResult result = ui::seed_market(argv[1], listings);
    if (!result.error.empty()) {
        std::fprintf(stderr, "%s\n", result.error.c_str());
        return 1;
    }
    std::printf("seeded %d listings (%d cancelled) from %zu traders\n", result.listed, result.cancelled,
                result.traders);
    return 0;
}
