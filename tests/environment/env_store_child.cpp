// A second process for the store tests. It uses the store that its
// TAVIX_ENVIRONMENT_DIR names and reports through its exit code (see
// child_codes.h): the tests start several at once, kill them, or start one
// after another to see what persisted.
//
//   open                          EnvOpen's result
//   put <key> <text>              one EnvWrite's result
//   check <key> <text>            EnvRead's result, or kDiffers
//   writer <prefix> <keys> <rounds>  pattern values, read back after each write
//   reader <ms> <prefix> <keys>   reads pattern values for ms milliseconds
//   loop <prefix> <keys>          writes pattern values until killed
//   fill                          takes every entry of an empty store

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "child_codes.h"
#include "environment.h"
#include "pattern.h"

using namespace envtest;

namespace {

// A client's write: up to three attempts while the store says "try again".
int WriteRetrying(const std::string& key, const void* data, unsigned int len) {
  int r = EnvWrite(key.c_str(), data, len);
  for (int i = 1; i < 3 && r < -1; ++i) r = EnvWrite(key.c_str(), data, len);
  return r;
}

std::string Key(const char* prefix, int i) { return std::string(prefix) + ".Key" + std::to_string(i); }

int Open() { return EnvOpen() == ENV_FAILED ? kOpenFailed : kOk; }

int Writer(const char* prefix, int keys, int rounds) {
  if (Open() != kOk) return kOpenFailed;
  std::vector<uint8_t> buffer(ENV_MAX_VALUE);
  for (int round = 1; round <= rounds; ++round) {
    for (int k = 0; k < keys; ++k) {
      const std::string key = Key(prefix, k);
      const std::vector<uint8_t> v = PatternValue(key, round);
      if (WriteRetrying(key, v.data(), v.size()) != ENV_OK) return kWriteFailed;
      unsigned int len = buffer.size();
      if (EnvRead(key.c_str(), buffer.data(), &len) != ENV_OK || PatternRound(key, buffer.data(), len) != round)
        return kLostWrite;
    }
  }
  EnvClose();
  return kOk;
}

int Reader(int ms, const char* prefix, int keys) {
  if (Open() != kOk) return kOpenFailed;
  std::vector<long long> seen(keys, 0);
  std::vector<uint8_t> buffer(ENV_MAX_VALUE);
  const DWORD end = GetTickCount() + ms;
  long long reads = 0;
  while (static_cast<LONG>(GetTickCount() - end) < 0 || reads < keys) {
    for (int k = 0; k < keys; ++k, ++reads) {
      const std::string key = Key(prefix, k);
      unsigned int len = buffer.size();
      const int r = EnvRead(key.c_str(), buffer.data(), &len);
      if (r == ENV_NOT_FOUND || r == ENV_BUSY) continue;
      if (r != ENV_OK) return kReadFailed;
      const long long round = PatternRound(key, buffer.data(), len);
      if (round < 0) return kTorn;
      if (round < seen[k]) return kWentBack;  // one writer per key: rounds only grow
      seen[k] = round;
    }
  }
  EnvClose();
  return kOk;
}

int Loop(const char* prefix, int keys) {
  if (Open() != kOk) return kOpenFailed;
  for (uint32_t round = 1;; ++round) {
    for (int k = 0; k < keys; ++k) {
      const std::string key = Key(prefix, k);
      const std::vector<uint8_t> v = PatternValue(key, round);
      const int r = WriteRetrying(key, v.data(), v.size());
      if (r != ENV_OK && r != ENV_BUSY) return kWriteFailed;
    }
  }
}

int Fill() {
  if (Open() != kOk) return kOpenFailed;
  for (int i = 0; i < ENV_MAX_KEYS; ++i) {
    const std::string key = "Fill." + std::to_string(i);
    if (EnvWrite(key.c_str(), &i, sizeof i) != ENV_OK) return kWriteFailed;
  }
  const int one_more = 1;
  if (EnvWrite("Fill.OneTooMany", &one_more, sizeof one_more) != ENV_FAILED) return kFullAccepted;
  const int changed = -7;
  if (EnvWrite("Fill.0", &changed, sizeof changed) != ENV_OK) return kWriteFailed;
  for (int i = 0; i < ENV_MAX_KEYS; ++i) {
    const std::string key = "Fill." + std::to_string(i);
    int v = 0;
    unsigned int len = sizeof v;
    if (EnvRead(key.c_str(), &v, &len) != ENV_OK || len != sizeof v || v != (i ? i : changed)) return kLostWrite;
  }
  int v = 0;
  unsigned int len = sizeof v;
  if (EnvRead("Fill.OneTooMany", &v, &len) != ENV_NOT_FOUND) return kReadFailed;
  EnvClose();
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string cmd = argc > 1 ? argv[1] : "";
  if (cmd == "open" && argc == 2) {
    const int r = EnvOpen();
    if (r != ENV_FAILED) EnvClose();
    return ResultCode(r);
  }
  if (cmd == "put" && argc == 4) {
    if (EnvOpen() == ENV_FAILED) return kOpenFailed;
    const int r = EnvWrite(argv[2], argv[3], strlen(argv[3]));
    EnvClose();
    return ResultCode(r);
  }
  if (cmd == "check" && argc == 4) {
    if (EnvOpen() == ENV_FAILED) return kOpenFailed;
    char buffer[ENV_MAX_VALUE];
    unsigned int len = sizeof buffer;
    const int r = EnvRead(argv[2], buffer, &len);
    EnvClose();
    if (r != ENV_OK) return ResultCode(r);
    return len == strlen(argv[3]) && memcmp(buffer, argv[3], len) == 0 ? ResultCode(ENV_OK) : kDiffers;
  }
  if (cmd == "writer" && argc == 5) return Writer(argv[2], atoi(argv[3]), atoi(argv[4]));
  if (cmd == "reader" && argc == 5) return Reader(atoi(argv[2]), argv[3], atoi(argv[4]));
  if (cmd == "loop" && argc == 4) return Loop(argv[2], atoi(argv[3]));
  if (cmd == "fill" && argc == 2) return Fill();
  fprintf(stderr, "env_store_child: bad command line\n");
  return kUsage;
}
