// Linked with the ordinal-only import library, as TavixConfigSet.dll is: the
// four operations are bound by ordinal and called with the caller cleaning
// the stack.
#include <gtest/gtest.h>

#include "environment.h"

namespace {

TEST(ByOrdinalTest, TheFourOperationsWorkWhenBoundByOrdinal) {
  ASSERT_NE(EnvOpen(), ENV_FAILED);
  const int written = 42;
  EXPECT_EQ(EnvWrite("Ordinal.Key", &written, sizeof written), ENV_OK);
  int read = 0;
  unsigned int len = sizeof read;
  EXPECT_EQ(EnvRead("Ordinal.Key", &read, &len), ENV_OK);
  EXPECT_EQ(read, written);
  EXPECT_EQ(EnvClose(), ENV_OK);
}

}  // namespace
