// One notion of time for the agent's programs. Times are whole seconds since
// 1970 UTC on the 32-bit clock; differences wrap modulo 2^32.
#include "TavixConfigSet.h"

#include "env_client.h"
#include "env_keys.h"

#include <atomic>
#include <cstdint>
#include <ctime>

namespace tavixconfig {
namespace {

// The last offset read in this process; 0 until a read succeeds.
std::atomic<std::int64_t> g_timeOffsetCache{0};
// A value callers park here with setSyncTime.
std::atomic<std::uint32_t> g_syncTimeMemory{0};

std::uint32_t Now() { return static_cast<std::uint32_t>(_time32(nullptr)); }

std::int64_t Read64(const char* key, bool* delivered) {
    std::int64_t value = 0;
    unsigned int length = sizeof value;
    const bool ok = ReadEnvValue(key, &value, &length) == 0;
    if (delivered) *delivered = ok;
    return value;
}

}  // namespace
}  // namespace tavixconfig

using namespace tavixconfig;

unsigned long WINAPI tavixconfig::GetTimeOffset(void) {
    bool delivered = false;
    const std::int64_t offset = Read64(env_keys::kTimeOffset, &delivered);
    if (delivered)
        g_timeOffsetCache.store(offset, std::memory_order_relaxed);
    return static_cast<std::uint32_t>(g_timeOffsetCache.load(std::memory_order_relaxed));
}

unsigned long WINAPI tavixconfig::GetSyncTime(void) {
    const std::int64_t serverTime = Read64(env_keys::kServerTime, nullptr);
    if (serverTime > 0)
        return static_cast<std::uint32_t>(serverTime);
    const std::uint32_t now = Now();
    return now - static_cast<std::uint32_t>(GetTimeOffset());
}

unsigned long WINAPI tavixconfig::GetSyncTimeMem(void) { return g_syncTimeMemory.load(std::memory_order_relaxed); }

void WINAPI tavixconfig::setSyncTime(long value) {
    g_syncTimeMemory.store(static_cast<std::uint32_t>(value), std::memory_order_relaxed);
}

int WINAPI tavixconfig::SetCenterTimeSync(long centreTime) {
    const std::uint32_t now = Now();
    const std::int32_t difference = static_cast<std::int32_t>(static_cast<std::uint32_t>(centreTime) - now);
    return WriteEnvValue(env_keys::kCenterTime, &difference, sizeof difference);
}

int WINAPI tavixconfig::GetCenterTimeSync(void) {
    std::int32_t difference = -1;
    unsigned int length = sizeof difference;
    ReadEnvValue(env_keys::kCenterTime, &difference, &length);
    return difference;
}
