#include "net/service_config.h"

#include <fstream>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/log_capture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class ServiceConfigTest : public testsupport::TempDirTest {
protected:
    fs::path write_services(const std::string& text)
    {
        fs::path file = m_temp / "services.json";
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }
};

// A missing file is mainnet without a word; a simulator file overrides every base it names
// and leaves the rest as it was.
TEST_F(ServiceConfigTest, MissingOrSimulatorFile)
{
    testsupport::LogCapture log(core::LogLevel::Warning);
    EXPECT_EQ(net::load_services(m_temp / "absent.json"), net::ServiceConfig{});
    const std::string base = "http://127.0.0.1:41234";
    auto file = write_services(R"({
        "woc_api": ")" + base + R"(/woc/v1/bsv/main",
        "woc_site": ")" + base + R"(/woc-site",
        "ordinals_content": ")" + base + R"(/ordinals/",
        "registry": ")" + base + R"(/registry",
        "woc_api_key": "mainnet_0123abc",
        "pace": {"woc": 20, "registry": 0.5},
        "comment": 7
    })");
    net::ServiceConfig config = net::load_services(file);
    EXPECT_EQ(config.woc_api, base + "/woc/v1/bsv/main");
    EXPECT_EQ(config.ordinals_content, base + "/ordinals");  // trailing "/" dropped
    EXPECT_EQ(config.registry, base + "/registry");
    EXPECT_EQ(config.arc, net::ServiceConfig{}.arc);
    EXPECT_EQ(config.registry_domain, std::string(net::DEFAULT_REGISTRY_DOMAIN));
    EXPECT_EQ(config.tx_page_url("ab"), base + "/woc-site/tx/ab");
    EXPECT_EQ(config.woc_api_key, "mainnet_0123abc");
    EXPECT_EQ(config.pace, (net::ServicePaces{20, 0, 0, 0.5}));  // what is not named keeps its default
    EXPECT_TRUE(log.lines().empty());

    std::string why;
    EXPECT_FALSE(net::parse_services_json("{\"woc_site\": true}", &why));
    EXPECT_EQ(why, "\"woc_site\" is not a string");
}

TEST_F(ServiceConfigTest, MalformedFilesAreIgnoredWholeWithAWarning)
{
    const std::vector<std::string> bad = {
        "",                                                    // empty
        "{\"woc_api\": \"http://x\"",                          // cut short
        "[\"http://127.0.0.1:1/woc\"]",                        // not an object
        "{\"arc\": \"http://127.0.0.1:1/arc\", \"woc_api\": 5}",  // good member, then a wrong type
        "{\"woc_api\": \"ftp://127.0.0.1/woc\"}",              // not a web URL
        "{\"woc_api\": \"http://127.0.0.1/a b\"}",             // blank inside
        "{\"registry_domain\": \"evil.example/path\"}",        // not a host name
        "{\"registry_domain\": \"\"}",
        "{\"arc\": null}",
        "{\"woc_api_key\": \"key\\r\\nX-Other: 1\"}",                 // a header of its own
        "{\"woc_api_key\": \"\"}",
        "{\"pace\": 3}",
        "{\"pace\": {\"woc\": -1}}",
        "{\"pace\": {\"woc\": \"fast\"}}",
        "{\"pace\": {\"woc\": 1e9}}",
    };
    for (const std::string& text : bad) {
        testsupport::LogCapture log(core::LogLevel::Warning);
        EXPECT_EQ(net::load_services(write_services(text)), net::ServiceConfig{}) << text;  // nothing half-applied
        ASSERT_EQ(log.lines().size(), 1u) << text;
        EXPECT_NE(log.lines()[0].find("services.json"), std::string::npos) << log.lines()[0];
    }
}

TEST_F(ServiceConfigTest, PlainHttpOnlyForThisMachine)
{
    for (const char* url : {"http://127.0.0.1:8080/woc", "http://127.1.2.3/woc", "http://localhost:9/woc",
                            "http://[::1]:9/woc", "https://api.example/woc"}) {
        EXPECT_TRUE(net::parse_services_json(std::string("{\"woc_api\": \"") + url + "\"}")) << url;
    }
    // Hosts that only look like this machine, and credentials that hide the real host.
    for (const char* url : {"http://api.example/woc", "http://127.0.0.1.evil.example/woc", "http://0177.0.0.1/woc",
                            "http://127.0.0.1@evil.example/woc", "http://127.0.0.1\\\\@evil.example/woc",
                            "http://[::2]/woc", "http://127.0.0.1:0/woc", "http://127.0.0.1:99999/woc"}) {
        EXPECT_FALSE(net::parse_services_json(std::string("{\"woc_api\": \"") + url + "\"}")) << url;
    }
    std::string why;  // what the warning says (how a refused file is warned of: MalformedFiles...)
    EXPECT_FALSE(net::parse_services_json(R"({"arc": "http://arc.example/v1"})", &why));
    EXPECT_EQ(why, "\"arc\" asks for plain http to arc.example, which is not this machine (plain http is accepted "
                   "only for loopback addresses such as 127.0.0.1)");
}

// "Simulator at" only when every service is on one loopback port; anything else that is not
// mainnet is "Custom services".
TEST_F(ServiceConfigTest, TheBadgeNamesWhereTheProgramTalks)
{
    net::ServiceConfig simulator;
    int n = 0;
    for (std::string* url : {&simulator.woc_api, &simulator.woc_site, &simulator.ordinals_api, &simulator.ordinals_content,
                             &simulator.arc, &simulator.registry, &simulator.product_page}) {
        *url = "http://127.0.0.1:41234/service" + std::to_string(n++);
    }
    EXPECT_EQ(net::services_badge(simulator), "Simulator at 127.0.0.1:41234");
    EXPECT_EQ(net::services_badge(net::ServiceConfig{}), "");
    net::ServiceConfig one_on_mainnet = simulator, two_ports = simulator, other_domain;
    one_on_mainnet.arc = net::ServiceConfig{}.arc;
    two_ports.arc = "http://127.0.0.1:41235/arc";
    other_domain.registry_domain = "registry.test";
    for (const auto* custom : {&one_on_mainnet, &two_ports, &other_domain}) EXPECT_EQ(net::services_badge(*custom), "Custom services");
}

} // namespace
