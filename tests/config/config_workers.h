// The loops that the concurrency tests run, in child processes and in
// threads: writers of keys of their own and a reader of a key nobody
// changes. The same loops run over the bare profile functions (raw), to
// show what the library's serialisation saves.
#pragma once

#include <windows.h>

#include "TavixConfigSet.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tcs_config {

// The constant that the reader expects; the getter's default differs.
constexpr int kConstantPort = 514;
constexpr int kDefaultPort = 10088;

// One key per writer, each with a setter and a getter of the library and
// its place in the file for the raw variant.
enum class WriterKey { ActiveTime, FailedTime, ProberPort, ProberHost, LogAddr };

struct WriterKeyInfo {
    const char* name;     // on the command line
    const char* section;  // as the library writes it
    const char* key;
    bool text;            // a text value ("v<n>") rather than a number
};

inline const WriterKeyInfo& Info(WriterKey k) {
    static const WriterKeyInfo info[] = {
        {"active", "HANDSHAKE", "LastActiveTime", false},
        {"failed", "HANDSHAKE", "LastFaiLedTime", false},
        {"proberport", "NetWork", "ProberDownLoadPort", false},
        {"proberhost", "NetWork", "ProberDownLoadHost", true},
        {"logaddr", "Network", "LogServerAddr", true},
    };
    return info[static_cast<int>(k)];
}

inline bool ParseWriterKey(const char* name, WriterKey* out) {
    for (int i = 0; i <= static_cast<int>(WriterKey::LogAddr); ++i)
        if (std::strcmp(Info(static_cast<WriterKey>(i)).name, name) == 0) {
            *out = static_cast<WriterKey>(i);
            return true;
        }
    return false;
}

inline std::string ValueText(WriterKey k, int n) {
    return (Info(k).text ? "v" : "") + std::to_string(n);
}

inline std::string ConfigPathBeside(const char* exe) {
    std::string s = exe;
    return s.substr(0, s.find_last_of('\\')) + "\\NetbarCfg.ini";
}

inline std::string OwnConfigPath() {
    char path[1024] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return ConfigPathBeside(path);
}

// Writes value n of the key; true when the writer reports it stored.
inline bool Write(WriterKey k, int n, bool raw) {
    const std::string text = ValueText(k, n);
    if (raw) {
        const WriterKeyInfo& i = Info(k);
        return WritePrivateProfileStringA(i.section, i.key, text.c_str(), OwnConfigPath().c_str()) != 0;
    }
    switch (k) {
    case WriterKey::ActiveTime: return tavixconfig::SetLastActiveTime(n) == 0;
    case WriterKey::FailedTime: return tavixconfig::SetLastFaiLedTime(n) == 0;
    case WriterKey::ProberPort: return tavixconfig::SetProberDownLoadPort(n) != 0;
    case WriterKey::ProberHost:
        return tavixconfig::SetProberDownLoadHost(const_cast<char*>(text.c_str()), static_cast<unsigned>(text.size())) != 0;
    case WriterKey::LogAddr: return tavixconfig::SetLogServerAddr(text.c_str(), static_cast<unsigned>(text.size())) != 0;
    }
    return false;
}

// The key's value as text, as the library's getter gives it.
inline std::string Read(WriterKey k, bool raw) {
    char buffer[64] = {};
    const WriterKeyInfo& i = Info(k);
    if (raw) {
        if (i.text)
            GetPrivateProfileStringA(i.section, i.key, "", buffer, sizeof buffer, OwnConfigPath().c_str());
        else
            return std::to_string(static_cast<int>(GetPrivateProfileIntA(i.section, i.key, -1, OwnConfigPath().c_str())));
        return buffer;
    }
    switch (k) {
    case WriterKey::ActiveTime: return std::to_string(tavixconfig::GetLastActiveTime());
    case WriterKey::FailedTime: return std::to_string(tavixconfig::GetLastFaiLedTime());
    case WriterKey::ProberPort: return std::to_string(tavixconfig::GetProberDownLoadPort());
    case WriterKey::ProberHost: tavixconfig::GetProberDownLoadHost(buffer, sizeof buffer); return buffer;
    case WriterKey::LogAddr: tavixconfig::GetLogServerAddr(buffer, sizeof buffer); return buffer;
    }
    return "";
}

struct WriterResult {
    int last = 0;    // the last value written
    int failed = 0;  // writes the library reported as not stored
    int lost = 0;    // writes that did not read back as written
};

// Values 1..count in order, each read back at once: nobody else writes the
// key, so anything else is a lost write.
inline WriterResult RunWriter(WriterKey k, int count, bool raw) {
    WriterResult r;
    for (int n = 1; n <= count; ++n) {
        if (!Write(k, n, raw)) ++r.failed;
        if (Read(k, raw) != ValueText(k, n)) ++r.lost;
        r.last = n;
    }
    return r;
}

struct ReaderResult {
    int reads = 0;
    int defaults = 0;  // the getter's default: the key seemed absent
    int wrong = 0;     // any other value but the constant
};

// Reads the constant LogServerPort until stop says so, and at least once.
template <typename Stop>
ReaderResult RunReader(bool raw, Stop stop) {
    ReaderResult r;
    const std::string path = OwnConfigPath();
    do {
        const int port = raw ? static_cast<int>(GetPrivateProfileIntA("Network", "LogServerPort", 0, path.c_str()))
                             : tavixconfig::GetLogServerPort();
        ++r.reads;
        if (port == kDefaultPort || port == 0) ++r.defaults;
        else if (port != kConstantPort) ++r.wrong;
    } while (!stop());
    return r;
}

}  // namespace tcs_config
