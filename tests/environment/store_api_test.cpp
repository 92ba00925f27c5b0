// The four operations as a client sees them: values, results, limits.
#include <gtest/gtest.h>
#include <limits.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "environment.h"
#include "store_fixture.h"

using namespace envtest;

namespace {

std::vector<uint8_t> Filled(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 7 + 1);
  return v;
}

TEST_F(StoreTest, ValuesComeBackExactlyAsWritten) {
  const int32_t i32_neg = -1, i32_min = INT_MIN, i32 = 0x12345678;
  const int64_t i64 = 0x0102030405060708LL, i64_neg = -2;
  const struct {
    const char* key;
    std::vector<uint8_t> value;
  } cases[] = {
      {"RoundTrip.Text", Bytes("192.168.1.10", 12)},
      {"RoundTrip.TextWithItsZero", Bytes("abc", 4)},
      {"RoundTrip.Int32.MinusOne", Bytes(&i32_neg, 4)},
      {"RoundTrip.Int32.Min", Bytes(&i32_min, 4)},
      {"RoundTrip.Int32", Bytes(&i32, 4)},
      {"RoundTrip.Int64", Bytes(&i64, 8)},
      {"RoundTrip.Int64.MinusTwo", Bytes(&i64_neg, 8)},
      {"RoundTrip.BinaryWithZeros", {0, 1, 0, 255, 0}},
      {"RoundTrip.Empty", {}},
      {"RoundTrip.Largest", Filled(ENV_MAX_VALUE)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const unsigned int n = c.value.size();
    ASSERT_EQ(EnvWrite(c.key, c.value.data(), n), ENV_OK);
    // At exactly the value's size and with room to spare: nothing lands
    // past the value.
    for (unsigned int capacity : {n, n + 16}) {
      std::vector<uint8_t> buffer(n + 32, 0xCC);
      unsigned int len = capacity;
      ASSERT_EQ(EnvRead(c.key, buffer.data(), &len), ENV_OK);
      EXPECT_EQ(len, n);
      EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + n), c.value);
      EXPECT_EQ(std::vector<uint8_t>(buffer.begin() + n, buffer.end()), std::vector<uint8_t>(32, 0xCC));
    }
  }
}

TEST_F(StoreTest, IntegersReadBackIntoTheirVariables) {
  const int32_t port = 8090;
  ASSERT_EQ(EnvWrite("RoundTrip.Network.CenterPort", &port, sizeof port), ENV_OK);
  int32_t got32 = 0;
  unsigned int len = sizeof got32;
  ASSERT_EQ(EnvRead("RoundTrip.Network.CenterPort", &got32, &len), ENV_OK);
  EXPECT_EQ(got32, port);

  const int64_t offset = -1234567890123LL;
  ASSERT_EQ(EnvWrite("RoundTrip.Network.TimeOffset", &offset, sizeof offset), ENV_OK);
  int64_t got64 = 0;
  len = sizeof got64;
  ASSERT_EQ(EnvRead("RoundTrip.Network.TimeOffset", &got64, &len), ENV_OK);
  EXPECT_EQ(got64, offset);
  EXPECT_EQ(len, 8u);
}

TEST_F(StoreTest, ANewValueReplacesTheOldWhateverTheLengths) {
  for (size_t n : {300, 3, 0, ENV_MAX_VALUE, 1, 299}) {
    SCOPED_TRACE(n);
    std::vector<uint8_t> v = Filled(n);
    if (n) v[0] = static_cast<uint8_t>(n);  // no two writes alike
    ASSERT_EQ(EnvWrite("Replace.Key", v.data(), n), ENV_OK);
    int r = 0;
    EXPECT_EQ(ReadValue("Replace.Key", &r), v);
    EXPECT_EQ(r, ENV_OK);
  }
}

// What a read that cannot deliver leaves behind: nothing in the buffer, and
// the length word only when it says how much room the value needs.
TEST_F(StoreTest, UndeliverableReadsLeaveTheBufferUntouched) {
  ASSERT_EQ(EnvWrite("Read.TenBytes", "0123456789", 10), ENV_OK);
  ASSERT_EQ(EnvWrite("Read.Empty", "", 0), ENV_OK);
  const struct {
    const char* key;
    unsigned int capacity;
    bool null_buffer;
    int result;
    unsigned int length_after;
  } cases[] = {
      {"Read.NeverWritten", 16, false, ENV_NOT_FOUND, 16},
      {"Read.TenBytes", 9, false, ENV_TOO_LONG, 10},
      {"Read.TenBytes", 1, false, ENV_TOO_LONG, 10},
      {"Read.TenBytes", 0, true, ENV_TOO_LONG, 10},  // asking for the size
      {"Read.Empty", 0, true, ENV_OK, 0},
      {"Read.TenBytes", 10, false, ENV_OK, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " capacity " + std::to_string(c.capacity));
    std::vector<uint8_t> buffer(32, 0xCC);
    unsigned int len = c.capacity;
    EXPECT_EQ(EnvRead(c.key, c.null_buffer ? nullptr : buffer.data(), &len), c.result);
    EXPECT_EQ(len, c.length_after);
    if (c.result != ENV_OK) {
      EXPECT_EQ(buffer, std::vector<uint8_t>(32, 0xCC));
    }
  }
}

TEST_F(StoreTest, WritesOutsideTheLimitsAreRefusedAndChangeNothing) {
  const std::string at_limit(ENV_MAX_KEY, 'k');
  const std::string over_limit(ENV_MAX_KEY + 1, 'k');
  const std::vector<uint8_t> largest = Filled(ENV_MAX_VALUE);
  const std::vector<uint8_t> too_large = Filled(ENV_MAX_VALUE + 1);
  ASSERT_EQ(WriteText("Limits.Value", "old"), ENV_OK);
  const struct {
    const char* name;
    const char* key;
    const void* data;
    unsigned int length;
    int result;
  } cases[] = {
      {"null key", nullptr, "x", 1, ENV_FAILED},
      {"empty key", "", "x", 1, ENV_FAILED},
      {"key at the limit", at_limit.c_str(), "x", 1, ENV_OK},
      {"key over the limit", over_limit.c_str(), "x", 1, ENV_FAILED},
      {"value at the limit", "Limits.Value", largest.data(), ENV_MAX_VALUE, ENV_OK},
      {"value over the limit", "Limits.Value", too_large.data(), ENV_MAX_VALUE + 1, ENV_FAILED},
      {"huge length", "Limits.Value", too_large.data(), 0xFFFFFFFFu, ENV_FAILED},
      {"null data with a length", "Limits.Value", nullptr, 1, ENV_FAILED},
      {"null data, length 0", "Limits.NullEmpty", nullptr, 0, ENV_OK},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EnvWrite(c.key, c.data, c.length), c.result);
  }
  EXPECT_EQ(ReadValue("Limits.Value"), largest);  // the refused writes left it
  EXPECT_EQ(ReadText(at_limit), "x");
  int r = 0;
  ReadValue("Limits.NullEmpty", &r);
  EXPECT_EQ(r, ENV_OK);
  // The key over the limit was not cut to the limit and stored.
  EXPECT_EQ(WriteText(at_limit, "y"), ENV_OK);
  EXPECT_EQ(ReadText(at_limit), "y");
}

TEST_F(StoreTest, BadReadArgumentsAreRefused) {
  ASSERT_EQ(WriteText("Args.Key", "v"), ENV_OK);
  const std::string over_limit(ENV_MAX_KEY + 1, 'k');
  char buffer[8];
  unsigned int len = sizeof buffer;
  EXPECT_EQ(EnvRead(nullptr, buffer, &len), ENV_FAILED);
  EXPECT_EQ(EnvRead("", buffer, &len), ENV_FAILED);
  EXPECT_EQ(EnvRead(over_limit.c_str(), buffer, &len), ENV_FAILED);
  EXPECT_EQ(EnvRead("Args.Key", buffer, nullptr), ENV_FAILED);
  EXPECT_EQ(EnvRead("Args.Key", nullptr, &len), ENV_FAILED);
  EXPECT_EQ(len, sizeof buffer);
}

TEST_F(StoreTest, KeysAreCaseSensitiveAndExact) {
  const std::vector<std::string> keys = {
      "Network.CenterPort", "network.centerport", "NETWORK.CENTERPORT", "Network.CenterPort ",
      "Network.CenterPor",  " Network.CenterPort", "Network.Center\xC4\xD6rt", "TerminalOnLine",
  };
  for (size_t i = 0; i < keys.size(); ++i) ASSERT_EQ(WriteText(keys[i], "value " + std::to_string(i)), ENV_OK);
  for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(ReadText(keys[i]), "value " + std::to_string(i)) << keys[i];
}

// No fixture: the count starts at zero here.
TEST(StoreOpenTest, OpenAndCloseAreCountedPerProcess) {
  unsigned int len = 4;
  int v = 0;
  EXPECT_EQ(EnvClose(), ENV_FAILED);
  EXPECT_EQ(WriteText("Open.Key", "x"), ENV_FAILED);
  EXPECT_EQ(EnvRead("Open.Key", &v, &len), ENV_FAILED);

  ASSERT_NE(EnvOpen(), ENV_FAILED);
  ASSERT_NE(EnvOpen(), ENV_FAILED);
  EXPECT_EQ(WriteText("Open.Key", "x"), ENV_OK);
  EXPECT_EQ(EnvClose(), ENV_OK);
  EXPECT_EQ(ReadText("Open.Key"), "x");  // one open is left
  EXPECT_EQ(EnvClose(), ENV_OK);
  EXPECT_EQ(EnvRead("Open.Key", &v, &len), ENV_FAILED);
  EXPECT_EQ(EnvClose(), ENV_FAILED);
  // Opening again after the count reached zero is the cheap path.
  EXPECT_EQ(EnvOpen(), ENV_OK);
  EXPECT_EQ(ReadText("Open.Key"), "x");
  EXPECT_EQ(EnvClose(), ENV_OK);
}

}  // namespace
