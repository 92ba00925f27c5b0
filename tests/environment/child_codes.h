// Exit codes of env_store_child.
#pragma once

namespace envtest {

constexpr int kOk = 0;            // writer, reader, fill: everything held
constexpr int kUsage = 1;
constexpr int kOpenFailed = 2;
constexpr int kWriteFailed = 3;
constexpr int kLostWrite = 4;     // a write read back as something else
constexpr int kReadFailed = 5;
constexpr int kTorn = 6;          // a delivered value that nobody wrote
constexpr int kWentBack = 7;      // an older value after a newer one
constexpr int kFullAccepted = 8;  // a full store took one more key
constexpr int kDiffers = 9;       // check: another value than expected
constexpr int kHookStopped = 77;  // test build: the writer died at its stop point

// open, put, check: 100 + the operation's result (ENV_OK -> 100, ENV_BUSY -> 98).
constexpr int ResultCode(int result) { return 100 + result; }

}  // namespace envtest
