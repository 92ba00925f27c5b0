// The QQ function flag and the P2P online status: one word each, in this
// process only, 0 at load.
#include "TavixConfigSet.h"

#include <atomic>

namespace {
std::atomic<int> g_qqFunction{0};
std::atomic<int> g_p2pOnline{0};

int AsFlag(int value) { return value > 0 ? 1 : 0; }
}  // namespace

int WINAPI tavixconfig::GetQQFunc(void) { return g_qqFunction.load(std::memory_order_relaxed); }

int WINAPI tavixconfig::SetQQFunc(int value) {
    g_qqFunction.store(AsFlag(value), std::memory_order_relaxed);
    return 0;
}

int WINAPI tavixconfig::GetP2POnLineStatus(void) { return g_p2pOnline.load(std::memory_order_relaxed); }

int WINAPI tavixconfig::SetP2POnLineStatus(int value) {
    g_p2pOnline.store(AsFlag(value), std::memory_order_relaxed);
    return 0;
}
