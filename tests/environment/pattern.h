// Self-checking values for the concurrency and crash tests: a value is a
// pure function of its key and a round number, so any delivered value can
// be recognised as exactly one written value, and a torn one shows.
#pragma once

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

namespace envtest {

inline uint32_t Fnv(const std::string& s) {
  uint32_t h = 2166136261u;
  for (unsigned char c : s) h = (h ^ c) * 16777619u;
  return h;
}

// [round:4][length:4] then bytes from a generator seeded by key and round.
// Lengths vary with the round, so a value stitched from two rounds fails.
inline std::vector<uint8_t> PatternValue(const std::string& key, uint32_t round) {
  const uint32_t len = 8 + (Fnv(key) + round * 37u) % 400u;
  std::vector<uint8_t> v(len);
  memcpy(&v[0], &round, 4);
  memcpy(&v[4], &len, 4);
  uint32_t x = Fnv(key) ^ (round * 2654435761u) ^ 0x9E3779B9u;
  for (uint32_t i = 8; i < len; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    v[i] = static_cast<uint8_t>(x);
  }
  return v;
}

// The round a value was written in, or -1 when it is no value of this key.
inline long long PatternRound(const std::string& key, const void* data, uint32_t len) {
  if (len < 8) return -1;
  uint32_t round = 0;
  memcpy(&round, data, 4);
  const std::vector<uint8_t> want = PatternValue(key, round);
  if (want.size() != len || memcmp(want.data(), data, len) != 0) return -1;
  return round;
}

}  // namespace envtest
