#include "tests/support/devnet_fixture.h"

#include <chrono>

#include <httplib.h>

#include "devnet/services_file.h"
#include "net/devnet_admin_client.h"
#include "net/http_client.h"
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

// The admin helpers go through the product's own admin client; a refusal fails the test.
net::DevnetAdminClient admin_of(const std::string& base) { return net::DevnetAdminClient(base, net::default_http()); }

template <typename T>
T admin_value(const char* what, const net::Result<T>& result)
{
    if (result) return *result;
    ADD_FAILURE() << "admin " << what << ": " << result.error;
    return T{};
}

std::filesystem::path devnet_binary()
{
    return build_dir() / "devnet" / "agoran-devnet";
}

} // namespace

std::unique_ptr<Devnet> Devnet::start(Options options)
{
    std::unique_ptr<Devnet> devnet(new Devnet());
    devnet->m_state_dir = std::move(options.state_dir);
    if (devnet->m_state_dir.empty()) {
        devnet->m_temp = std::make_unique<TempDir>();
        devnet->m_state_dir = devnet->m_temp->path() / "state";
    }
    return devnet->launch() ? std::move(devnet) : nullptr;
}

bool Devnet::launch()
{
    m_process = platform::ChildProcess::start(devnet_binary(), {"--port", "0", "--state", m_state_dir.string()});
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
    return admin_value("fund", admin_of(m_base_url).fund(address, satoshis, mine));
}

std::string Devnet::mint(const std::string& address, const std::string& amount, const std::string& symbol,
                         const std::string& icon, const std::string& decimals) const
{
    return admin_value("mint", admin_of(m_base_url).mint(address, amount, symbol, icon, decimals));
}

std::string Devnet::inscribe(const std::string& address, const std::string& content_type, const std::string& content,
                             bool envelope_first) const
{
    return admin_value("inscribe", admin_of(m_base_url).inscribe(address, content_type, core::as_bytes(content), envelope_first));
}

std::string Devnet::import_tx(const std::string& hex) const { return admin_value("import", admin_of(m_base_url).import_tx(hex)); }
void Devnet::set_identity(const std::string& handle, const std::string& pubkey) const
{
    admin_value("identity", admin_of(m_base_url).set_identity(handle, pubkey));
}
void Devnet::freeze(const std::string& pubkey, const std::string& note) const
{
    admin_value("freeze", admin_of(m_base_url).freeze(pubkey, note));
}
void Devnet::set_architects(const std::vector<std::string>& pubkeys) const
{
    admin_value("architects", admin_of(m_base_url).set_architects(pubkeys));
}
void Devnet::fault(const std::string& service, const nlohmann::json& settings) const
{
    admin_value("fault", admin_of(m_base_url).fault(service, settings));
}
void Devnet::clear_faults() const { admin_value("faults/clear", admin_of(m_base_url).clear_faults()); }
int64_t Devnet::mine(int blocks) const { return admin_value("mine", admin_of(m_base_url).mine(blocks)); }

void DevnetTest::SetUp()
{
    m_devnet = Devnet::start();
    ASSERT_NE(m_devnet, nullptr);
}

} // namespace testsupport
