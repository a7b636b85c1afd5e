#include "tests/support/devnet_fixture.h"

#include <chrono>

#include <httplib.h>

#include "core/hex.h"
#include "devnet/services_file.h"
#include "tests/support/test_data.h"

namespace testsupport {

namespace {

httplib::Client client_for(const std::string& base_url)
{
    httplib::Client client(base_url);
    client.set_connection_timeout(5);
    client.set_read_timeout(30);
    return client;
}

Devnet::Reply reply_of(const httplib::Result& result)
{
    if (!result) return {};
    return {result->status, result->body};
}

} // namespace

std::filesystem::path devnet_binary()
{
    return build_dir() / "devnet" / "agoran-devnet";
}

std::unique_ptr<Devnet> Devnet::start(Options options)
{
    std::unique_ptr<Devnet> devnet(new Devnet());
    devnet->m_options = std::move(options);
    devnet->m_state_dir = devnet->m_options.state_dir;
    if (devnet->m_state_dir.empty()) {
        devnet->m_temp = std::make_unique<TempDir>();
        devnet->m_state_dir = devnet->m_temp->path() / "state";
    }
    if (!devnet->launch()) return nullptr;
    return devnet;
}

bool Devnet::launch()
{
    std::vector<std::string> args = {"--port", "0", "--state", m_state_dir.string()};
    args.insert(args.end(), m_options.extra_args.begin(), m_options.extra_args.end());
    m_process = platform::ChildProcess::start(devnet_binary(), args);
    if (!m_process) {
        ADD_FAILURE() << "cannot start " << devnet_binary();
        return false;
    }
    auto line = m_process->read_line(std::chrono::seconds(10));
    if (!line || line->rfind("http://127.0.0.1:", 0) != 0) {
        ADD_FAILURE() << "agoran-devnet did not print its URL (got: " << line.value_or("<nothing>") << ")";
        m_process.reset();
        return false;
    }
    m_base_url = *line;
    return true;
}

Devnet::~Devnet()
{
    if (m_process) m_process->stop();
}

int Devnet::stop()
{
    int code = m_process ? m_process->stop() : -1;
    m_process.reset();
    return code;
}

bool Devnet::restart()
{
    stop();
    return launch();
}

bool Devnet::write_services(const std::filesystem::path& data_dir) const
{
    std::string error;
    if (devnet::write_services_file(data_dir, m_base_url, error)) return true;
    ADD_FAILURE() << error;
    return false;
}

nlohmann::json Devnet::Reply::json() const
{
    nlohmann::json doc = nlohmann::json::parse(body, nullptr, false);
    return doc.is_discarded() ? nlohmann::json() : doc;
}

Devnet::Reply Devnet::get(const std::string& path) const
{
    return reply_of(client_for(m_base_url).Get(path));
}

Devnet::Reply Devnet::post(const std::string& path, const std::string& body, const std::string& content_type) const
{
    return reply_of(client_for(m_base_url).Post(path, body, content_type));
}

nlohmann::json Devnet::admin(const std::string& path, const nlohmann::json& body) const
{
    Reply reply = post("/admin" + path, body.dump());
    if (reply.status == 200) return reply.json();
    ADD_FAILURE() << "admin " << path << " answered " << reply.status << ": " << reply.body;
    return nlohmann::json();
}

std::string Devnet::fund(const std::string& address, int64_t satoshis, bool mine) const
{
    return admin("/fund", {{"address", address}, {"satoshis", satoshis}, {"mine", mine}}).value("txid", "");
}

std::string Devnet::mint(const std::string& address, const std::string& amount, const std::string& symbol,
                         const std::string& icon, const std::string& decimals) const
{
    return admin("/mint", {{"address", address}, {"amount", amount}, {"symbol", symbol}, {"icon", icon}, {"decimals", decimals}})
        .value("id", "");
}

std::string Devnet::inscribe(const std::string& address, const std::string& content_type, const std::string& content,
                             bool envelope_first) const
{
    return admin("/inscribe", {{"address", address}, {"content_type", content_type},
                               {"content_hex", core::hex_encode(core::as_bytes(content))}, {"envelope_first", envelope_first}})
        .value("origin", "");
}

std::string Devnet::import_tx(const std::string& hex) const { return admin("/import", {{"hex", hex}}).value("txid", ""); }

void Devnet::set_identity(const std::string& handle, const std::string& pubkey) const
{
    admin("/identity", {{"handle", handle}, {"pubkey", pubkey}});
}

void Devnet::freeze(const std::string& pubkey, const std::string& note) const
{
    admin("/freeze", {{"pubkey", pubkey}, {"note", note}});
}

void Devnet::set_architects(const std::vector<std::string>& pubkeys) const { admin("/architects", {{"pubkeys", pubkeys}}); }

void Devnet::fault(const std::string& service, const nlohmann::json& settings) const
{
    nlohmann::json body = settings;
    body["service"] = service;
    admin("/fault", body);
}

void Devnet::clear_faults() const { admin("/faults/clear", nlohmann::json::object()); }

int64_t Devnet::mine(int blocks) const { return admin("/mine", {{"blocks", blocks}}).value("height", int64_t{-1}); }

void DevnetTest::SetUp()
{
    m_devnet = Devnet::start(devnet_options());
    ASSERT_NE(m_devnet, nullptr);
}

} // namespace testsupport
