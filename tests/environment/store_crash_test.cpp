// Writers that die or hang at chosen points inside EnvWrite. This program
// runs on the test build of environment.dll, whose writer stops where
// TAVIX_ENVIRONMENT_TEST_STOP says (and runs normally without it).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "child_codes.h"
#include "environment.h"
#include "store_fixture.h"
#include "support.h"

using namespace envtest;

namespace {

bool WaitForFile(const std::string& path, DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 10) {
    if (FileExists(path)) return true;
    Sleep(10);
  }
  return false;
}

TEST_F(StoreTest, AWriterDyingInsideAWriteLeavesTheOldValueOrTheNew) {
  const std::string marker = OwnStoreDir() + "\\hook-reached";
  const struct {
    const char* stop;
    bool key_existed;
    bool new_value_expected;
  } cases[] = {
      {"slot-written", true, false}, {"slot-written", false, false}, {"slot-flushed", true, false},
      {"slot-flushed", false, false}, {"published", true, true},     {"published", false, true},
  };
  for (const auto& c : cases) {
    const std::string key = std::string("Crash.") + c.stop + (c.key_existed ? ".Existing" : ".New");
    SCOPED_TRACE(key);
    if (c.key_existed) {
      ASSERT_EQ(WriteText(key, "old"), ENV_OK);
    }
    DeleteFileA(marker.c_str());
    {
      ScopedEnv stop("TAVIX_ENVIRONMENT_TEST_STOP", c.stop);
      EXPECT_EQ(RunChild("put " + key + " new"), kHookStopped);
    }
    EXPECT_TRUE(FileExists(marker)) << "the writer died at its stop point";

    int r = 0;
    const std::string now = ReadText(key, &r);
    if (c.new_value_expected) {
      EXPECT_EQ(now, "new");
    } else if (c.key_existed) {
      EXPECT_EQ(now, "old");
    } else {
      EXPECT_EQ(r, ENV_NOT_FOUND);
    }
    // The dead writer's mutex is abandoned; the next writer takes it over.
    EXPECT_EQ(WriteText(key, "after"), ENV_OK);
    EXPECT_EQ(ReadText(key), "after");
  }
  EXPECT_TRUE(CorruptCopies(OwnStoreDir()).empty()) << "a dead writer is no damage";
}

TEST_F(StoreTest, AHungWriterHoldsUpOnlyTheWritersOfItsOwnStore) {
  const std::string a = FreshDir("hung-a");
  const std::string b = FreshDir("hung-b");
  ASSERT_EQ(RunChildIn(a, "put Hung.Key before"), ResultCode(ENV_OK));
  std::unique_ptr<Child> hung;
  {
    ScopedEnv dir("TAVIX_ENVIRONMENT_DIR", a.c_str());
    ScopedEnv stop("TAVIX_ENVIRONMENT_TEST_STOP", "hang");
    hung.reset(new Child("put Hung.Key during"));
  }
  ASSERT_TRUE(WaitForFile(a + "\\hook-reached", 60000));

  EXPECT_EQ(RunChildIn(b, "put Hung.Key b"), ResultCode(ENV_OK)) << "another folder, another lock";
  EXPECT_EQ(WriteText("Hung.Own", "own"), ENV_OK);
  const DWORD start = GetTickCount();
  EXPECT_EQ(RunChildIn(a, "put Hung.Key other"), ResultCode(ENV_BUSY));
  EXPECT_GE(GetTickCount() - start, static_cast<DWORD>(ENV_LOCK_TIMEOUT_MS) * 9 / 10);
  EXPECT_EQ(RunChildIn(a, "check Hung.Key before"), ResultCode(ENV_OK)) << "readers and opening need no lock";

  hung->Kill();
  EXPECT_EQ(RunChildIn(a, "put Hung.Key after"), ResultCode(ENV_OK));
  EXPECT_EQ(RunChildIn(a, "check Hung.Key after"), ResultCode(ENV_OK));
}

}  // namespace
