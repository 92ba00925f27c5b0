#include "env_client.h"

#include "environment.h"

namespace tavixconfig {
namespace {

constexpr int kStoreUnavailable = -1;
constexpr int kReadAttempts = 4;
constexpr int kWriteAttempts = 3;

// Closes what a successful EnvOpen opened, on every path.
class OpenStore {
public:
    OpenStore() : open_(EnvOpen() != kStoreUnavailable) {}
    ~OpenStore() {
        if (open_)
            EnvClose();
    }
    OpenStore(const OpenStore&) = delete;
    OpenStore& operator=(const OpenStore&) = delete;

    bool isOpen() const { return open_; }

private:
    bool open_;
};

bool AsksForRetry(int writeResult) { return writeResult < -1; }

}  // namespace

int ReadEnvValue(const char* name, void* buffer, unsigned int* length) {
    OpenStore store;
    if (!store.isOpen())
        return -1;
    // A failed read may leave the length the value needs in the word; every
    // attempt must again offer only the caller's capacity, or the retry
    // writes past the buffer.
    const unsigned int capacity = *length;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        *length = capacity;
        if (EnvRead(name, buffer, length) == 0)
            return 0;
    }
    return -1;
}

int WriteEnvValue(const char* name, const void* data, unsigned int length) {
    OpenStore store;
    if (!store.isOpen())
        return -1;
    int result = EnvWrite(name, data, length);
    for (int attempt = 1; attempt < kWriteAttempts && AsksForRetry(result); ++attempt)
        result = EnvWrite(name, data, length);
    return result;
}

}  // namespace tavixconfig
