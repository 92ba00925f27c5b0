// The host's own address, the communication address and the host name.
#include "local_address.h"

#include "TavixConfigSet.h"

#include "../config/config_file.h"
#include "../envstore/env_client.h"
#include "../envstore/env_keys.h"

#include <winsock2.h>
#include <windows.h>

#include <cstring>

namespace tavixconfig {
namespace {

struct ExclusionRule {
    const char* text;
    bool prefixOnly;
};

// In the order they are tested.
constexpr ExclusionRule kExclusionRules[] = {
    {"127.0.0.1", false},
    {"0.0.0.0", false},
    {"0.", true},
    {"255.255.255.255", false},
};

constexpr unsigned kHostNameCapacity = 155;
constexpr unsigned kStoredHostNameCapacity = 260;
constexpr unsigned kCommuAddrCapacity = 20;
constexpr int kMinConfiguredAddrLength = 5;

const ConfigKey kLocalAddrKey = {"NetWork", "LocalAddr"};

// Each start-up of the socket layer is matched by one clean-up.
class SocketLayer {
public:
    SocketLayer() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 0), &data) == 0;
    }
    ~SocketLayer() {
        if (started_)
            WSACleanup();
    }
    SocketLayer(const SocketLayer&) = delete;
    SocketLayer& operator=(const SocketLayer&) = delete;

    bool started() const { return started_; }

private:
    bool started_ = false;
};

}  // namespace

bool IsExcludedAddress(const char* text) {
    for (const ExclusionRule& rule : kExclusionRules) {
        const bool match = rule.prefixOnly ? std::strncmp(text, rule.text, std::strlen(rule.text)) == 0
                                           : std::strcmp(text, rule.text) == 0;
        if (match)
            return true;
    }
    return false;
}

int FindLocalAddress(char* buffer, unsigned int size) {
    if (buffer == nullptr)
        return -1;
    SocketLayer sockets;
    if (!sockets.started())
        return -2;
    char hostName[kHostNameCapacity] = {};
    if (gethostname(hostName, sizeof hostName) != 0)
        return -2;
    const hostent* host = gethostbyname(hostName);
    if (host == nullptr)
        return -2;
    if (host->h_addrtype != AF_INET || host->h_length != 4)
        return 0;
    // The texts belong to the socket layer: copy before it is cleaned up.
    for (char** entry = host->h_addr_list; *entry; ++entry) {
        in_addr address;
        std::memcpy(&address, *entry, sizeof address);
        const char* text = inet_ntoa(address);
        if (text == nullptr || IsExcludedAddress(text))
            continue;
        const size_t length = std::strlen(text);
        if (length < size)
            std::memcpy(buffer, text, length + 1);
        break;
    }
    return 0;
}

}  // namespace tavixconfig

using namespace tavixconfig;

int WINAPI tavixconfig::GetLocalAddr(char* buffer, unsigned int size) { return FindLocalAddress(buffer, size); }

int WINAPI tavixconfig::GetCommuAddrStr(char* buffer, unsigned int size) {
    const int count = ReadConfigText(kLocalAddrKey, buffer, size);
    if (count >= kMinConfiguredAddrLength)
        return count;
    unsigned int capacity = size;
    const int stored = ReadEnvValue(env_keys::kLocalAddr, buffer, &capacity);
    if (stored == 0)
        return 0;
    FindLocalAddress(buffer, size);
    return stored;
}

int WINAPI tavixconfig::SetCommuAddrStr(const char* text, unsigned int length) {
    WriteEnvValue(env_keys::kLocalAddr, text, length);
    return WriteConfigText(kLocalAddrKey, text);
}

long WINAPI tavixconfig::GetCommuAddr(void) {
    char text[kCommuAddrCapacity] = {};
    // One byte stays zero, so a stored text without terminator still ends.
    GetCommuAddrStr(text, sizeof text - 1);
    return static_cast<long>(inet_addr(text));
}

int WINAPI tavixconfig::GetLocalHostName(char* buffer, unsigned int size) {
    char stored[kStoredHostNameCapacity] = {};
    unsigned int capacity = sizeof stored;
    const int result = ReadEnvValue(env_keys::kHostName, stored, &capacity);
    if (buffer == nullptr || size == 0)
        return result;
    // Like a bounded copy of size - 1 bytes: the name, then zeros; the
    // caller's last byte stays as it was. Never past the read buffer.
    const size_t limit = size - 1;
    const size_t nameLength = strnlen(stored, sizeof stored);
    const size_t copied = nameLength < limit ? nameLength : limit;
    std::memcpy(buffer, stored, copied);
    std::memset(buffer + copied, 0, limit - copied);
    return result;
}
