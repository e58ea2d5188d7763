// The windows under test speak Chinese, as the program makes them at start:
// their texts are English in the code and Chinese from the translations.
#include "platform/modMain.h"

#include <gtest/gtest.h>

namespace {

class ChineseWindows : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(plomet::loadQtTranslations()); }
};

const auto* const kChineseWindows = ::testing::AddGlobalTestEnvironment(new ChineseWindows);

} // namespace
