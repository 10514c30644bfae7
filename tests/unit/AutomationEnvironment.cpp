// COM for the whole test program, on the thread that runs the tests: the
// program initialises it the same way on its window thread.
#include <gtest/gtest.h>
#include <ole2.h>

namespace {

class OleEnvironment : public testing::Environment {
  public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

[[maybe_unused]] testing::Environment* const kOle =
    testing::AddGlobalTestEnvironment(new OleEnvironment);

} // namespace
