// The store on disk: where it lives, what outlives a process, and what
// happens to a damaged file. Each test uses store folders of its own through
// child processes, so that this process never maps a file the test damages.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "child_codes.h"
#include "environment.h"
#include "pattern.h"
#include "store_fixture.h"
#include "store_format.h"
#include "support.h"

using namespace envtest;

namespace {

const int kStored = ResultCode(ENV_OK);
const int kMissing = ResultCode(ENV_NOT_FOUND);
const int kCorrupt = ResultCode(ENV_CORRUPT);
const int kRepaired = ResultCode(ENV_REPAIRED);
const int kCannotOpen = ResultCode(ENV_FAILED);

std::string Put(const std::string& key, const std::string& text) { return "put " + key + " " + text; }
std::string Check(const std::string& key, const std::string& text) { return "check " + key + " " + text; }

TEST(StoreFileTest, ValuesOutliveTheProcessesThatWroteThem) {
  const std::string dir = FreshDir("persist");
  EXPECT_EQ(RunChildIn(dir, Put("Persist.Key", "hello")), kStored);
  EXPECT_TRUE(FileExists(dir + "\\store.dat"));
  EXPECT_EQ(RunChildIn(dir, Check("Persist.Key", "hello")), kStored);
  EXPECT_EQ(RunChildIn(dir, Put("Persist.Key", "world")), kStored);
  EXPECT_EQ(RunChildIn(dir, Check("Persist.Key", "world")), kStored);
  EXPECT_EQ(RunChildIn(dir, "open"), kStored) << "a sound store needs no repair";
  EXPECT_TRUE(CorruptCopies(dir).empty());
}

TEST(StoreFileTest, TheVariableMovesTheStoreAndMissingFoldersAreMade) {
  const std::string a = FreshDir("moved-a");
  const std::string b = FreshDir("moved-b") + "\\deeper\\still";
  EXPECT_EQ(RunChildIn(a, Put("Moved.Key", "in-a")), kStored);
  EXPECT_EQ(RunChildIn(b, Check("Moved.Key", "in-a")), kMissing);
  EXPECT_EQ(RunChildIn(b, Put("Moved.Key", "in-b")), kStored);
  EXPECT_TRUE(FileExists(b + "\\store.dat"));
  EXPECT_EQ(RunChildIn(a, Check("Moved.Key", "in-a")), kStored);
  EXPECT_EQ(RunChildIn(b + "\\", Check("Moved.Key", "in-b")), kStored) << "a trailing backslash names the same store";
}

TEST(StoreFileTest, WithoutTheVariableTheStoreIsInCommonAppData) {
  char common[MAX_PATH];
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common), S_OK);
  const std::string file = std::string(common) + "\\Tavix\\environment\\store.dat";
  const std::string key = "Location.Default." + std::to_string(GetCurrentProcessId());
  ScopedEnv unset("TAVIX_ENVIRONMENT_DIR", nullptr);
  EXPECT_EQ(RunChild(Put(key, "here")), kStored);
  EXPECT_TRUE(FileExists(file)) << file;
  EXPECT_EQ(RunChild(Check(key, "here")), kStored);
}

TEST(StoreFileTest, AStoreThatCannotBeUsedFailsToOpen) {
  const std::string stores = ExeDir() + "\\stores";
  CreateDirectoryA(stores.c_str(), nullptr);
  {
    SCOPED_TRACE("the folder is a file");
    const std::string file = stores + "\\not-a-folder";
    OwnedHandle f(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(f.valid());
    EXPECT_EQ(RunChildIn(file, "open"), kCannotOpen);
  }
  {
    SCOPED_TRACE("store.dat is a folder");
    const std::string dir = FreshDir("store-is-folder");
    CreateDirectoryA(dir.c_str(), nullptr);
    CreateDirectoryA((dir + "\\store.dat").c_str(), nullptr);
    EXPECT_EQ(RunChildIn(dir, "open"), kCannotOpen);
    RemoveDirectoryA((dir + "\\store.dat").c_str());
  }
  {
    SCOPED_TRACE("store.dat is held by another program");
    const std::string dir = FreshDir("held");
    ASSERT_EQ(RunChildIn(dir, Put("Held.Key", "v")), kStored);
    {
      OwnedHandle f(CreateFileA((dir + "\\store.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      ASSERT_TRUE(f.valid());
      EXPECT_EQ(RunChildIn(dir, "open"), kCannotOpen);
    }
    EXPECT_EQ(RunChildIn(dir, Check("Held.Key", "v")), kStored) << "usable again once released";
  }
  {
    SCOPED_TRACE("the folder's path is too long");
    EXPECT_EQ(RunChildIn(stores + "\\" + std::string(ENV_MAX_DIR, 'x'), "open"), kCannotOpen);
  }
}

TEST(StoreFileTest, AFullStoreRefusesNewKeysAndKeepsTheOld) {
  EXPECT_EQ(RunChildIn(FreshDir("full"), "fill"), kOk);
}

// ---- damage ----------------------------------------------------------------

const char kTargetValue[] = "target-value-0123456789";
const char kOtherValue[] = "other-value-abcdefghij";

struct Damage {
  const char* name;
  // Changes the file's bytes; false when the bytes to change are not found.
  bool (*apply)(std::vector<uint8_t>& bytes);
  std::set<int> target, other;  // what "check" may then say of each key
};

bool Flip(std::vector<uint8_t>& b, const char* needle, size_t at) {
  const long long off = FindBytes(b, needle, strlen(needle));
  if (off < 0) return false;
  b[off + at] ^= 0x20;
  return true;
}

const Damage kDamages[] = {
    {"header overwritten",
     [](std::vector<uint8_t>& b) {
       for (int i = 0; i < 64; ++i) b[i] = 0xA5;
       return true;
     },
     {kMissing}, {kMissing}},
    {"a byte of a value flipped", [](std::vector<uint8_t>& b) { return Flip(b, kTargetValue, 5); }, {kCorrupt},
     {kStored}},
    {"a byte of a key flipped", [](std::vector<uint8_t>& b) { return Flip(b, "Damage.Target", 3); }, {kMissing},
     {kStored}},
    {"cut to nothing",
     [](std::vector<uint8_t>& b) {
       b.clear();
       return true;
     },
     {kMissing}, {kMissing}},
    {"cut inside the header",
     [](std::vector<uint8_t>& b) {
       b.resize(100);
       return true;
     },
     {kMissing}, {kMissing}},
    {"cut inside a value",
     [](std::vector<uint8_t>& b) {
       const long long off = FindBytes(b, kTargetValue, strlen(kTargetValue));
       if (off < 0) return false;
       b.resize(off + 3);
       return true;
     },
     {kCorrupt}, {kStored, kCorrupt}},
    {"one byte short",
     [](std::vector<uint8_t>& b) {
       b.pop_back();
       return true;
     },
     {kStored}, {kStored}},
    {"garbage appended",
     [](std::vector<uint8_t>& b) {
       b.insert(b.end(), 100, 0x5A);
       return true;
     },
     {kStored}, {kStored}},
};

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  return TruncateFile(path, bytes.size()) && (bytes.empty() || PatchBytes(path, 0, bytes.data(), bytes.size()));
}

TEST(StoreDamageTest, ADamagedFileIsReportedKeptAsideAndRepaired) {
  int n = 0;
  for (const Damage& d : kDamages) {
    SCOPED_TRACE(d.name);
    const std::string dir = FreshDir("damage-" + std::to_string(n++));
    const std::string store = dir + "\\store.dat";
    ASSERT_EQ(RunChildIn(dir, Put("Damage.Target", kTargetValue)), kStored);
    ASSERT_EQ(RunChildIn(dir, Put("Damage.Other", kOtherValue)), kStored);
    std::vector<uint8_t> bytes = ReadBytes(store);
    ASSERT_TRUE(d.apply(bytes));
    ASSERT_TRUE(WriteWholeFile(store, bytes));

    EXPECT_EQ(RunChildIn(dir, "open"), kRepaired);
    const std::vector<std::string> copies = CorruptCopies(dir);
    ASSERT_EQ(copies, std::vector<std::string>{"store.corrupt-1"});
    EXPECT_TRUE(ReadBytes(dir + "\\store.corrupt-1") == bytes) << "the copy is the file as it was found";

    EXPECT_EQ(d.target.count(RunChildIn(dir, Check("Damage.Target", kTargetValue))), 1u);
    EXPECT_EQ(d.other.count(RunChildIn(dir, Check("Damage.Other", kOtherValue))), 1u);
    // Usable again, and repaired once for all.
    EXPECT_EQ(RunChildIn(dir, Put("Damage.Target", "rewritten")), kStored);
    EXPECT_EQ(RunChildIn(dir, Check("Damage.Target", "rewritten")), kStored);
    EXPECT_EQ(RunChildIn(dir, Put("Damage.New", "new")), kStored);
    EXPECT_EQ(RunChildIn(dir, "open"), kStored);
    EXPECT_EQ(CorruptCopies(dir).size(), 1u);
  }
}

TEST(StoreDamageTest, EachRepairKeepsItsOwnCopy) {
  const std::string dir = FreshDir("damage-twice");
  for (int round = 1; round <= 2; ++round) {
    const std::string value = kTargetValue + std::to_string(round);
    ASSERT_EQ(RunChildIn(dir, Put("Damage.Target", value)), kStored);
    std::vector<uint8_t> bytes = ReadBytes(dir + "\\store.dat");
    ASSERT_TRUE(Flip(bytes, value.c_str(), 0));
    ASSERT_TRUE(WriteWholeFile(dir + "\\store.dat", bytes));
    EXPECT_EQ(RunChildIn(dir, "open"), kRepaired);
    EXPECT_EQ(CorruptCopies(dir).size(), static_cast<size_t>(round));
  }
  EXPECT_TRUE(FileExists(dir + "\\store.corrupt-2"));
}

// The one test that knows the header: a sound header of another format is
// a newer store's, which this one must neither use nor "repair".
TEST(StoreDamageTest, AFileOfANewerFormatIsLeftAlone) {
  for (size_t size : {size_t{0}, size_t{envstore::kFileSize}, size_t{envstore::kFileSize} * 2}) {
    SCOPED_TRACE("size " + std::to_string(size));
    const std::string dir = FreshDir("newer-format");
    ASSERT_EQ(RunChildIn(dir, Put("Newer.Key", "v")), kStored);
    std::vector<uint8_t> bytes = ReadBytes(dir + "\\store.dat");
    if (size) bytes.resize(size);
    envstore::Header h;
    memcpy(&h, bytes.data(), sizeof h);
    h.format += 1;
    h.crc = envstore::Crc32(&h, offsetof(envstore::Header, crc));
    memcpy(bytes.data(), &h, sizeof h);
    ASSERT_TRUE(WriteWholeFile(dir + "\\store.dat", bytes));

    EXPECT_EQ(RunChildIn(dir, "open"), kCannotOpen);
    EXPECT_TRUE(ReadBytes(dir + "\\store.dat") == bytes);
    EXPECT_TRUE(CorruptCopies(dir).empty());
  }
}

// Damage that appears while this process has the store open: the read that
// meets it reports it, and the file is kept aside before the key is written
// again.
TEST_F(StoreTest, DamageFoundWhileOpenIsReportedAndKeptAside) {
  const std::string store = OwnStoreDir() + "\\store.dat";
  const std::string key = "Running.Damaged";
  const std::vector<uint8_t> value = PatternValue(key, 1);
  ASSERT_EQ(EnvWrite(key.c_str(), value.data(), value.size()), ENV_OK);
  ASSERT_EQ(WriteText("Running.Healthy", "fine"), ENV_OK);
  const size_t copies = CorruptCopies(OwnStoreDir()).size();

  const std::vector<uint8_t> before = ReadBytes(store);
  const long long off = FindBytes(before, value.data() + 8, 24);
  ASSERT_GE(off, 0);
  const uint8_t flipped = before[off + 4] ^ 0x01;
  ASSERT_TRUE(PatchBytes(store, off + 4, &flipped, 1));

  int r = 0;
  ReadValue(key, &r);
  EXPECT_EQ(r, ENV_CORRUPT);
  ReadValue(key, &r);
  EXPECT_EQ(r, ENV_CORRUPT) << "a damaged value stays reported";
  EXPECT_EQ(CorruptCopies(OwnStoreDir()).size(), copies + 1);
  EXPECT_EQ(ReadText("Running.Healthy"), "fine");

  const std::vector<uint8_t> next = PatternValue(key, 2);
  ASSERT_EQ(EnvWrite(key.c_str(), next.data(), next.size()), ENV_OK);
  EXPECT_EQ(ReadValue(key), next);
  EXPECT_EQ(CorruptCopies(OwnStoreDir()).size(), copies + 1);
}

}  // namespace
