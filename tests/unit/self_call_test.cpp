#include "driver/self_call.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

namespace drosk {
namespace {

std::string text_of(const platform::environment_mark& mark) {
  return mark.name.empty() ? "" : mark.name + "=" + mark.value;
}

TEST(PreprocessMark, NamesWholeIdentitiesOnly) {
  setenv("DROSK_PREPROCESS", "11:2 3:45", 1);
  EXPECT_TRUE(started_by_preprocess_command("11:2"));
  EXPECT_TRUE(started_by_preprocess_command("3:45"));
  EXPECT_FALSE(started_by_preprocess_command("1:2"));
  EXPECT_FALSE(started_by_preprocess_command("3:4"));
  EXPECT_FALSE(started_by_preprocess_command(""));
  EXPECT_EQ(text_of(preprocess_mark("6:7")), "DROSK_PREPROCESS=11:2 3:45 6:7");
  unsetenv("DROSK_PREPROCESS");
  EXPECT_FALSE(started_by_preprocess_command("11:2"));
  EXPECT_EQ(text_of(preprocess_mark("6:7")), "DROSK_PREPROCESS=6:7");
  EXPECT_EQ(text_of(preprocess_mark("")), "");
}

}  // namespace
}  // namespace drosk
