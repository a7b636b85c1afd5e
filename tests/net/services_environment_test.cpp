// Every test of this program runs with a data directory of its own, whatever services.json the
// machine's real data directory holds.
#include <memory>

#include <gtest/gtest.h>

#include "net/service_config.h"
#include "tests/support/temp_dir.h"

namespace {

class NetEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_temp = std::make_unique<testsupport::TempDir>();
        m_temp->use_as_data_root();
    }
    void TearDown() override { m_temp.reset(); }

private:
    std::unique_ptr<testsupport::TempDir> m_temp;
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new NetEnvironment);

} // namespace
