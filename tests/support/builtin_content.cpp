// Linked into test programs whose tests run the intro or its font: the
// built-in content pack is the content in use before the first test, as it
// is in every front end.
#include <gtest/gtest.h>

#include "app/intro_content.h"
#include "data/builtin_pack.h"

namespace {
class BuiltInContent : public ::testing::Environment {
public:
    void SetUp() override {
        char reason[200];
        ASSERT_EQ(UseContentPack(BuiltInPack, BuiltInPackSize, FontInPack, reason, sizeof reason), 0)
            << reason;
    }
};
const auto* const registered = ::testing::AddGlobalTestEnvironment(new BuiltInContent);
}  // namespace
