#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "environment.h"

namespace envtest {

// A test that holds the store open, as a client's access sequence does.
class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(EnvOpen(), ENV_FAILED); }
  void TearDown() override { EnvClose(); }
};

inline std::vector<uint8_t> Bytes(const void* p, size_t n) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  return std::vector<uint8_t>(b, b + n);
}

// The value under key, read with a capacity of ENV_MAX_VALUE; empty when
// the read did not return ENV_OK (see *result).
inline std::vector<uint8_t> ReadValue(const std::string& key, int* result = nullptr) {
  std::vector<uint8_t> buffer(ENV_MAX_VALUE);
  unsigned int len = buffer.size();
  const int r = EnvRead(key.c_str(), buffer.data(), &len);
  if (result) *result = r;
  buffer.resize(r == ENV_OK ? len : 0);
  return buffer;
}

inline std::string ReadText(const std::string& key, int* result = nullptr) {
  const std::vector<uint8_t> v = ReadValue(key, result);
  return std::string(v.begin(), v.end());
}

inline int WriteText(const std::string& key, const std::string& text) {
  return EnvWrite(key.c_str(), text.data(), text.size());
}

}  // namespace envtest
