// Figures for the environment store: what a getter's whole access sequence
// costs (EnvOpen + EnvRead + EnvClose), a raw read, a durable write, reads
// from several threads at once, and the registry baseline a getter would
// otherwise pay, measured in the same run. It prints figures and nothing
// else: it never fails on speed.
//
// The store is the one TAVIX_ENVIRONMENT_DIR names; when that is unset the
// benchmark uses "bench-envstore" beside itself, never the PC's own store.

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <atomic>
#include <thread>
#include <vector>

#include "bench_timing.h"
#include "environment.h"

namespace {

using bench::Now;

// Median over rounds of the time per call, in microseconds.
template <typename F>
double PerCallUs(F call, int calls, int rounds = 7) {
  std::vector<double> t;
  for (int r = 0; r < rounds; ++r) t.push_back(bench::RoundUs(call, calls));
  return bench::Median(t);
}

int Getter(const char* key, void* buffer, unsigned int capacity) {
  if (EnvOpen() == ENV_FAILED) return -1;
  unsigned int length = capacity;
  const int r = EnvRead(key, buffer, &length);
  EnvClose();
  return r;
}

class RegKey {
 public:
  RegKey() = default;
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// A test key of its own under HKCU, deleted again on every path out.
class RegistryBaseline {
 public:
  RegistryBaseline() {
    snprintf(path_, sizeof path_, "Software\\TavixBench\\EnvStore-%lu", GetCurrentProcessId());
    RegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path_, 0, nullptr, 0, KEY_WRITE, nullptr, key.out(), nullptr) !=
        ERROR_SUCCESS)
      return;
    created_ = true;
    const DWORD value = 0x12345678;
    ok_ = RegSetValueExA(key.get(), "Frequency", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                         sizeof value) == ERROR_SUCCESS;
  }
  ~RegistryBaseline() {
    if (!created_) return;
    RegDeleteKeyA(HKEY_CURRENT_USER, path_);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TavixBench");  // only when empty
  }
  RegistryBaseline(const RegistryBaseline&) = delete;
  RegistryBaseline& operator=(const RegistryBaseline&) = delete;

  bool ok() const { return ok_; }
  // The registry's version of a getter: open, query a 4-byte value, close.
  bool Get(DWORD* value) const {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path_, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD size = sizeof *value;
    const bool got = RegQueryValueExA(key, "Frequency", nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                                      &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return got;
  }

 private:
  char path_[96] = {};
  bool created_ = false;
  bool ok_ = false;
};

// Reads from `threads` threads at once; the time per call of one thread.
double ThreadedGetterUs(int threads, int calls, long* failures) {
  std::atomic<int> ready{0};
  std::atomic<bool> go{false};
  std::atomic<long> failed{0};
  std::vector<double> per_call(threads);
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) {
    pool.emplace_back([&, t] {
      ++ready;
      while (!go) std::this_thread::yield();
      int32_t v = 0;
      const double start = Now();
      for (int i = 0; i < calls; ++i)
        if (Getter("Audit.Monitor.Screen.Frequency", &v, sizeof v) != ENV_OK) ++failed;
      per_call[t] = (Now() - start) * 1e6 / calls;
    });
  }
  while (ready < threads) std::this_thread::yield();
  go = true;
  for (auto& th : pool) th.join();
  *failures = failed;
  double sum = 0;
  for (double d : per_call) sum += d;
  return sum / threads;
}

}  // namespace

int main() {
  char dir[MAX_PATH];
  if (GetEnvironmentVariableA("TAVIX_ENVIRONMENT_DIR", dir, sizeof dir) == 0) {
    const DWORD n = GetModuleFileNameA(nullptr, dir, sizeof dir);
    char* slash = strrchr(dir, '\\');
    if (n == 0 || !slash) return 1;
    strcpy(slash + 1, "bench-envstore");
    SetEnvironmentVariableA("TAVIX_ENVIRONMENT_DIR", dir);
  }
  printf("environment store benchmark (store in %s)\n", dir);

  const double open_start = Now();
  if (EnvOpen() == ENV_FAILED) {
    printf("EnvOpen failed: the store cannot be used\n");
    return 1;
  }
  const double first_open_us = (Now() - open_start) * 1e6;
  const int32_t frequency = 30;
  char text[260];
  memset(text, 'a', sizeof text);
  const int w1 = EnvWrite("Audit.Monitor.Screen.Frequency", &frequency, sizeof frequency);
  const int w2 = EnvWrite("Audit.Unit.Identity", text, sizeof text);
  EnvClose();
  if (w1 != ENV_OK || w2 != ENV_OK) {
    printf("EnvWrite failed (%d, %d)\n", w1, w2);
    return 1;
  }

  int32_t v = 0;
  char buffer[260];
  const double getter = PerCallUs([&] { Getter("Audit.Monitor.Screen.Frequency", &v, sizeof v); }, 200000);
  const double text_getter = PerCallUs([&] { Getter("Audit.Unit.Identity", buffer, sizeof buffer); }, 200000);
  EnvOpen();
  const double raw_read = PerCallUs([&] {
    unsigned int length = sizeof v;
    EnvRead("Audit.Monitor.Screen.Frequency", &v, &length);
  }, 200000);
  EnvClose();
  const double missing = PerCallUs([&] { Getter("Bench.No.Such.Key", &v, sizeof v); }, 200000);
  int32_t counter = 0;
  const double setter = PerCallUs([&] {
    ++counter;
    if (EnvOpen() == ENV_FAILED) return;
    EnvWrite("Bench.Counter", &counter, sizeof counter);
    EnvClose();
  }, 50, 5);

  RegistryBaseline registry;
  double reg = 0;
  if (registry.ok()) {
    DWORD value = 0;
    reg = PerCallUs([&] { registry.Get(&value); }, 5000);
  }

  printf("  first EnvOpen of the process (map and check)   %10.2f us\n", first_open_us);
  printf("  getter: EnvOpen+EnvRead+EnvClose, 4 bytes       %10.3f us/call\n", getter);
  printf("  getter: EnvOpen+EnvRead+EnvClose, 260 bytes     %10.3f us/call\n", text_getter);
  printf("  getter of a missing key                         %10.3f us/call\n", missing);
  printf("  raw EnvRead, 4 bytes (store open)               %10.3f us/call\n", raw_read);
  printf("  setter: EnvOpen+EnvWrite+EnvClose, 4 bytes      %10.1f us/call (durable)\n", setter);
  if (registry.ok()) {
    printf("  registry: RegOpenKeyEx+RegQueryValueEx+RegCloseKey, 4 bytes %7.3f us/call\n", reg);
    printf("  registry / getter                               %10.1f x\n", reg / getter);
  } else {
    printf("  registry baseline unavailable (could not create the HKCU test key)\n");
  }
  for (int threads : {1, 2, 4}) {
    long failures = 0;
    const double us = ThreadedGetterUs(threads, 200000, &failures);
    printf("  getter, %d thread%s at once                      %10.3f us/call per thread, %6.2f M calls/s in all%s\n",
           threads, threads == 1 ? " " : "s", us, threads / us, failures ? " (some reads failed)" : "");
  }
  printf("  target: getter <= 5 us and >= 25x the registry: %s\n",
         getter <= 5.0 && registry.ok() && reg / getter >= 25.0 ? "met" : "not met");
  return 0;
}
