#include <gtest/gtest.h>

#include <memory>

#include "cli_test_support.h"

namespace kvs {
namespace {

// Every test runs against its own data folder and no real MIDI devices,
// whatever the machine has; the first start's message is spent here so
// tests that compare standard error see only their own output.
class CliHomeEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        home_ = std::make_unique<test::ScopedHome>();
        test::RunArgs({"settings"});
    }
    void TearDown() override { home_.reset(); }

  private:
    std::unique_ptr<test::ScopedHome> home_;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new CliHomeEnvironment);

}  // namespace
}  // namespace kvs
