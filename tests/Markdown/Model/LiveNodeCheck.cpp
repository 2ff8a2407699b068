// After every test program run, no raw node may be left alive: a leak or a reference cycle in the model shows
// up here even without a leak checker.
#include <Markdown/Markdown.h>

#include <gtest/gtest.h>

namespace {

class LiveNodeCheck : public ::testing::Environment {
public:
    void TearDown() override { EXPECT_EQ(Markdown::RawMarkup::liveNodeCount(), 0) << "raw nodes left alive"; }
};

[[maybe_unused]] auto* const liveNodeCheck = ::testing::AddGlobalTestEnvironment(new LiveNodeCheck);

} // namespace
