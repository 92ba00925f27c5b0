// Threads and processes at once, and writers killed in the middle of a write.
// Values are self-checking patterns (pattern.h): a reader can tell a whole
// written value from a torn one, and which round it belongs to.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "child_codes.h"
#include "environment.h"
#include "pattern.h"
#include "store_fixture.h"
#include "support.h"

using namespace envtest;

namespace {

std::string Key(const std::string& prefix, int i) { return prefix + ".Key" + std::to_string(i); }

int WriteRetrying(const std::string& key, const std::vector<uint8_t>& v) {
  int r = EnvWrite(key.c_str(), v.data(), v.size());
  for (int i = 1; i < 3 && r < -1; ++i) r = EnvWrite(key.c_str(), v.data(), v.size());
  return r;
}

// What readers found wrong, counted across threads.
struct Faults {
  std::atomic<int> torn{0}, went_back{0}, failed{0}, lost{0};
  void ExpectNone() const {
    EXPECT_EQ(torn.load(), 0) << "values that nobody wrote were delivered";
    EXPECT_EQ(went_back.load(), 0) << "an older value came after a newer one";
    EXPECT_EQ(failed.load(), 0) << "reads or writes failed";
    EXPECT_EQ(lost.load(), 0) << "written values were missing afterwards";
  }
};

// Reads every key until told to stop; with one writer per key, rounds may
// only grow.
void ReadUntil(const std::atomic<bool>& stop, const std::vector<std::string>& keys, bool one_writer_per_key,
               Faults* f) {
  std::vector<long long> seen(keys.size(), 0);
  std::vector<uint8_t> buffer(ENV_MAX_VALUE);
  while (!stop) {
    for (size_t k = 0; k < keys.size(); ++k) {
      unsigned int len = buffer.size();
      const int r = EnvRead(keys[k].c_str(), buffer.data(), &len);
      if (r == ENV_NOT_FOUND || r == ENV_BUSY) continue;
      if (r != ENV_OK) {
        ++f->failed;
        continue;
      }
      const long long round = PatternRound(keys[k], buffer.data(), len);
      if (round < 0) {
        ++f->torn;
      } else if (one_writer_per_key) {
        if (round < seen[k]) ++f->went_back;
        seen[k] = round;
      }
    }
  }
}

TEST_F(StoreTest, ThreadsWritingDifferentKeysLoseNothingAndReadersSeeWholeValues) {
  const int kWriters = 4, kKeys = 6, kRounds = 40;
  std::vector<std::string> all;
  for (int w = 0; w < kWriters; ++w)
    for (int k = 0; k < kKeys; ++k) all.push_back(Key("Threads.W" + std::to_string(w), k));
  Faults f;
  std::atomic<bool> stop{false};
  std::vector<std::thread> readers, writers;
  for (int i = 0; i < 4; ++i) readers.emplace_back(ReadUntil, std::cref(stop), std::cref(all), true, &f);
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      for (uint32_t round = 1; round <= kRounds; ++round)
        for (int k = 0; k < kKeys; ++k) {
          const std::string key = all[w * kKeys + k];
          if (WriteRetrying(key, PatternValue(key, round)) != ENV_OK) ++f.failed;
        }
    });
  }
  for (auto& t : writers) t.join();
  stop = true;
  for (auto& t : readers) t.join();
  for (const std::string& key : all)
    if (ReadValue(key) != PatternValue(key, kRounds)) ++f.lost;
  f.ExpectNone();
}

TEST_F(StoreTest, ThreadsWritingOneKeyLeaveOneWholeValue) {
  const std::string key = "Threads.Shared";
  Faults f;
  std::atomic<bool> stop{false};
  std::vector<std::thread> readers, writers;
  for (int i = 0; i < 3; ++i)
    readers.emplace_back(ReadUntil, std::cref(stop), std::vector<std::string>{key}, false, &f);
  for (uint32_t w = 0; w < 4; ++w) {
    writers.emplace_back([&, w] {
      for (uint32_t i = 1; i <= 50; ++i)
        if (WriteRetrying(key, PatternValue(key, w * 1000 + i)) != ENV_OK) ++f.failed;
    });
  }
  for (auto& t : writers) t.join();
  stop = true;
  for (auto& t : readers) t.join();
  const std::vector<uint8_t> last = ReadValue(key);
  const long long round = PatternRound(key, last.data(), last.size());
  EXPECT_EQ(round % 1000, 50) << "the last value is some writer's last write";
  f.ExpectNone();
}

TEST_F(StoreTest, ProcessesAtOnceLoseNothingAndTearNothing) {
  const int kWriters = 3, kKeys = 5, kRounds = 30;
  std::vector<std::unique_ptr<Child>> writers, readers;
  std::vector<std::string> all;
  for (int w = 0; w < kWriters; ++w) {
    const std::string prefix = "Procs.W" + std::to_string(w);
    for (int k = 0; k < kKeys; ++k) all.push_back(Key(prefix, k));
    readers.emplace_back(new Child("reader 3000 " + prefix + " " + std::to_string(kKeys)));
  }
  for (int w = 0; w < kWriters; ++w)
    writers.emplace_back(new Child("writer Procs.W" + std::to_string(w) + " " + std::to_string(kKeys) + " " +
                                   std::to_string(kRounds)));
  Faults f;
  std::atomic<bool> stop{false};
  std::thread reader(ReadUntil, std::cref(stop), std::cref(all), true, &f);
  for (auto& c : writers) EXPECT_EQ(c->Wait(), kOk) << "writer";
  for (auto& c : readers) EXPECT_EQ(c->Wait(), kOk) << "reader";
  stop = true;
  reader.join();
  for (const std::string& key : all)
    if (ReadValue(key) != PatternValue(key, kRounds)) ++f.lost;
  f.ExpectNone();
}

// The child writes round after round until it is killed, wherever it is:
// almost all of a write's time goes to flushing, inside the write.
TEST_F(StoreTest, AWriterKilledAnywhereLeavesOldOrNewAndTheStoreUsable) {
  const int kKeys = 4;
  std::vector<std::string> keys;
  for (int k = 0; k < kKeys; ++k) keys.push_back(Key("Killed", k));
  const size_t copies = CorruptCopies(OwnStoreDir()).size();
  for (int trial = 0; trial < 8; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    {
      Child loop("loop Killed " + std::to_string(kKeys));
      ASSERT_TRUE(loop.started());
      // Let it get going (a process starts slowly under Wine), then kill it.
      for (int i = 0; i < 400 && ReadValue(keys[kKeys - 1]).empty(); ++i) Sleep(5);
      Sleep(10 + trial * 23);
      loop.Kill();
    }
    for (const std::string& key : keys) {
      int r = 0;
      const std::vector<uint8_t> v = ReadValue(key, &r);
      ASSERT_EQ(r, ENV_OK) << key;
      EXPECT_GE(PatternRound(key, v.data(), v.size()), 1) << key << " is not a whole written value";
    }
    // The next writer takes over the dead writer's lock at once.
    const std::string after = "after trial " + std::to_string(trial);
    EXPECT_EQ(WriteText("Killed.After", after), ENV_OK);
    EXPECT_EQ(ReadText("Killed.After"), after);
  }
  EXPECT_EQ(CorruptCopies(OwnStoreDir()).size(), copies) << "a killed writer is no damage";
}

}  // namespace
