#include "devnet/server.h"

#include <chrono>
#include <cstdint>

#include "devnet/routes.h"
#include "platform/listen_backlog.h"

namespace devnet {

namespace {

// Ends the connection after the headers, so that the client sees a transfer that broke off.
void drop_answer(httplib::Response& res)
{
    res.status = 200;
    res.body.clear();
    res.set_content_provider(
        1, "text/plain", [](size_t, size_t, httplib::DataSink&) { return false; }, nullptr);
}

void answer_not_found(Service service, httplib::Response& res)
{
    res.status = 404;
    if (service == Service::ordinals) {
        res.set_content("{\"message\":\"Not Found\"}", "application/json; charset=utf-8");
    } else if (service == Service::arc || service == Service::registry || service == Service::admin) {
        res.set_content("{\"error\":\"Not Found\"}", "application/json; charset=utf-8");
    } else {
        res.set_content("Not Found", "text/plain");
    }
}

} // namespace

DevnetServer::DevnetServer(ServerOptions options)
    : m_options(std::move(options)), m_chain(m_options.fee_rate), m_registry(m_options.book_oracle, m_options.report_oracle)
{
    DevnetContext ctx{m_chain, m_registry, m_faults};
    add_woc_routes(m_router, ctx);
    add_ordinals_routes(m_router, ctx);
    add_arc_routes(m_router, ctx);
    add_registry_routes(m_router, ctx);
    add_admin_routes(m_router, ctx);
}

DevnetServer::~DevnetServer()
{
    stop();
}

bool DevnetServer::start(std::string& error)
{
    if (!m_options.state_dir.empty()) {
        if (!m_chain.open(m_options.state_dir, error)) return false;
        if (!m_registry.open(m_options.state_dir / "registry.json", error)) return false;
    }
    m_http = std::make_unique<httplib::Server>();
    int threads = std::max(2, m_options.threads);
    m_http->new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
    m_http->set_tcp_nodelay(true);
    m_http->set_keep_alive_max_count(1000);
    // An idle kept-alive connection holds its worker, and stopping waits for the workers: a
    // second of idleness is enough for a client on this machine, and a stop takes at most that.
    m_http->set_keep_alive_timeout(1);
    m_http->set_payload_max_length(64 * 1024 * 1024);
    // The library listens with a queue of five; a loader opening eight connections at once would
    // see some of them dropped and retried a second later. The socket is remembered as it is
    // made and its queue widened once bound.
    std::intptr_t listening = -1;
    m_http->set_socket_options([&listening](socket_t sock) {
        httplib::default_socket_options(sock);
        listening = static_cast<std::intptr_t>(sock);
    });
    m_http->Get(".*", [this](const httplib::Request& req, httplib::Response& res) { handle("GET", req, res); });
    m_http->Post(".*", [this](const httplib::Request& req, httplib::Response& res) { handle("POST", req, res); });
    if (m_options.port == 0) {
        m_port = m_http->bind_to_any_port("127.0.0.1");
    } else {
        m_port = m_http->bind_to_port("127.0.0.1", m_options.port) ? m_options.port : -1;
    }
    if (m_port <= 0) {
        error = "cannot listen on 127.0.0.1:" + std::to_string(m_options.port);
        return false;
    }
    m_http->set_socket_options(httplib::default_socket_options);
    if (listening != -1) platform::widen_listen_backlog(listening, 512);
    apply_profile(m_options.profile, m_faults);
    m_listener = std::thread([this] { m_http->listen_after_bind(); });
    if (m_options.block_interval_s > 0) m_miner = std::thread([this] { mine_on_timer(); });
    return true;
}

void DevnetServer::stop()
{
    {
        std::lock_guard lock(m_stop_mutex);
        m_stopping = true;
    }
    m_stop_cv.notify_all();
    if (m_http) m_http->stop();
    if (m_listener.joinable()) m_listener.join();
    if (m_miner.joinable()) m_miner.join();
}

void DevnetServer::mine_on_timer()
{
    std::unique_lock lock(m_stop_mutex);
    while (!m_stopping) {
        if (m_stop_cv.wait_for(lock, std::chrono::seconds(m_options.block_interval_s), [this] { return m_stopping; })) break;
        lock.unlock();
        m_chain.mine(1);
        lock.lock();
    }
}

void DevnetServer::handle(const std::string& method, const httplib::Request& req, httplib::Response& res)
{
    auto match = m_router.match(method, req.path);
    Service service = match ? match->route->service : service_of_path(req.path);
    FaultAction fault = m_faults.take(service, match && match->route->submit, method + " " + req.path + " " + req.body);
    if (fault.delay_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(fault.delay_ms));
    if (fault.drop) return drop_answer(res);
    if (fault.status != 0) {
        res.status = fault.status;
        res.set_content(fault.body, fault.content_type.c_str());
        if (fault.retry_after_s > 0) res.set_header("Retry-After", std::to_string(fault.retry_after_s));
        return;
    }
    if (!match) return answer_not_found(service, res);
    try {
        Call call{req, res, std::move(match->args)};
        match->route->handler(call);
    } catch (const std::exception& e) {
        res.status = 500;
        res.set_content(std::string("{\"error\":\"internal error: ") + "simulator fault" + "\"}", "application/json");
    } catch (...) {
        res.status = 500;
        res.set_content("{\"error\":\"internal error\"}", "application/json");
    }
    rewrite_all(res.body, fault.rewrite_from, fault.rewrite_to);
    if (fault.lose_answer) drop_answer(res);
}

} // namespace devnet
