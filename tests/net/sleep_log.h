// Records the HTTP client's back-off waits instead of sleeping, so that tests stay fast and can
// check the waits.
#pragma once

#include <chrono>
#include <mutex>
#include <vector>

#include "net/http_client.h"

namespace nettest {

struct SleepLog {
    std::mutex mutex;
    std::vector<long> waits;

    net::CurlHttp::Sleep sleeper()
    {
        return [this](std::chrono::milliseconds d) {
            std::lock_guard<std::mutex> lock(mutex);
            waits.push_back(static_cast<long>(d.count()));
        };
    }
};

} // namespace nettest
