// A session over its own canned HTTP client (fake_http.h) and the given services (mainnet when
// none): what a test runs the funding routines (FakeSession) or the trade routines
// (FakeSessionOf<trade::MarketSession>) over when it answers every request itself. Build the
// fake's answers before the routines run; two of these share nothing.
#pragma once

#include <memory>

#include "funding/session.h"
#include "net/service_config.h"
#include "tests/support/fake_http.h"

namespace testsupport {

template <class Session>
struct FakeSessionOf {
    explicit FakeSessionOf(net::ServiceConfig services = {})
        : session(std::make_shared<const net::ServiceConfig>(std::move(services)), &http)
    {
    }

    FakeHttp http;  // declared first: the session talks through it
    Session session;
};

using FakeSession = FakeSessionOf<funding::Session>;

} // namespace testsupport
