// Settings kept in NetbarCfg.ini.
#include "TavixConfigSet.h"

#include "config_file.h"

#include <cstdio>
#include <cstdlib>

namespace tavixconfig {
namespace {

const ConfigKey kLogServerAddr = {"Network", "LogServerAddr"};
const ConfigKey kLogServerPort = {"Network", "LogServerPort"};
const ConfigKey kProberDownLoadHost = {"NetWork", "ProberDownLoadHost"};
const ConfigKey kProberDownLoadPort = {"NetWork", "ProberDownLoadPort"};
const ConfigKey kLastActiveTime = {"HANDSHAKE", "LastActiveTime"};
const ConfigKey kLastFailedTime = {"HANDSHAKE", "LastFaiLedTime"};

constexpr int kDefaultLogServerPort = 10088;

int ReadTextStatus(const ConfigKey& key, char* buffer, unsigned size) {
    return ReadConfigText(key, buffer, size) != 0 ? 0 : -1;
}

BOOL WritePort(const ConfigKey& key, int port) {
    char text[12] = {};  // ten digits, a sign and the terminator
    _itoa(port, text, 10);
    return WriteConfigText(key, text);
}

int WriteTime(const ConfigKey& key, long time) {
    char text[32] = {};
    std::snprintf(text, sizeof text, "%ld", time);
    return WriteConfigText(key, text) ? 0 : -1;
}

}  // namespace
}  // namespace tavixconfig

using namespace tavixconfig;

int WINAPI tavixconfig::GetLogServerAddr(char* buffer, unsigned int size) {
    return ReadTextStatus(kLogServerAddr, buffer, size);
}

int WINAPI tavixconfig::SetLogServerAddr(const char* text, unsigned int /*length*/) {
    return WriteConfigText(kLogServerAddr, text);
}

int WINAPI tavixconfig::GetLogServerPort(void) {
    const int port = ReadConfigInt(kLogServerPort, 0);
    return port != 0 ? port : kDefaultLogServerPort;
}

int WINAPI tavixconfig::SetLogServerPort(int port) { return WritePort(kLogServerPort, port); }

int WINAPI tavixconfig::GetProberDownLoadHost(char* buffer, unsigned int size) {
    return ReadTextStatus(kProberDownLoadHost, buffer, size);
}

int WINAPI tavixconfig::SetProberDownLoadHost(char* text, unsigned int /*length*/) {
    return WriteConfigText(kProberDownLoadHost, text);
}

int WINAPI tavixconfig::GetProberDownLoadPort(void) { return ReadConfigInt(kProberDownLoadPort, -1); }

int WINAPI tavixconfig::SetProberDownLoadPort(int port) { return WritePort(kProberDownLoadPort, port); }

long WINAPI tavixconfig::GetLastActiveTime(void) { return ReadConfigInt(kLastActiveTime, 0); }

int WINAPI tavixconfig::SetLastActiveTime(long time) { return WriteTime(kLastActiveTime, time); }

long WINAPI tavixconfig::GetLastFaiLedTime(void) { return ReadConfigInt(kLastFailedTime, 0); }

int WINAPI tavixconfig::SetLastFaiLedTime(long time) { return WriteTime(kLastFailedTime, time); }

extern "C" int WINAPI SetLogServerAddr_API(const char* text, unsigned int length) {
    return tavixconfig::SetLogServerAddr(text, length);
}

extern "C" int WINAPI SetLogServerPort_API(int port) { return tavixconfig::SetLogServerPort(port); }
