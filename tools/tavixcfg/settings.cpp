// The one table of tavixcfg: every value the library serves, its getter, its
// setter and where it lives. Everything else in the tool is driven by it.
#include "settings.h"

#include "TavixConfigSet.h"

#include <cctype>
#include <vector>

namespace tavixcfg {
namespace {

using namespace tavixconfig;

// Text getters get a zero-filled buffer one byte larger than the size they
// are told, so whatever they leave there is terminated. The size is what the
// environment store's largest value needs, so a read never fails for length.
constexpr unsigned kTextBufferSize = 4096;

template <typename R, R (WINAPI* Get)(), long long Default, Store S>
Reading Number() {
    Reading r;
    r.number = static_cast<long long>(Get());
    r.store = S;
    r.isDefault = r.number == Default ? IsDefault::Yes : IsDefault::No;
    return r;
}

template <typename R, R (WINAPI* Get)(), Store S>
Reading DerivedNumber() {
    Reading r;
    r.number = static_cast<long long>(Get());
    r.store = S;
    return r;
}

struct TextResult {
    int result;
    std::string text;
};

TextResult CallText(int (WINAPI* get)(char*, unsigned)) {
    std::vector<char> buffer(kTextBufferSize + 1, '\0');
    const int result = get(buffer.data(), kTextBufferSize);
    return {result, buffer.data()};
}

// A stored text: empty or not there at all counts as the default.
template <int (WINAPI* Get)(char*, unsigned), Store S>
Reading StoredText() {
    const TextResult t = CallText(Get);
    Reading r;
    r.store = S;
    if (t.result == 0) r.text = t.text;
    r.isDefault = r.text.empty() ? IsDefault::Yes : IsDefault::No;
    return r;
}

template <int (WINAPI* Get)(char*, unsigned)>
Reading DerivedText() {
    Reading r;
    r.text = CallText(Get).text;
    return r;
}

Reading ProberDownLoadHostPortFromSureName() {
    const TextResult t = CallText(GetProberDownLoadHostPortFromSureName);
    Reading r;
    if (t.result != -1) r.text = t.text;  // -1: no MeskApi.dll, or it failed
    return r;
}

// The result says where the text came from: a count of 5 or more from the
// configuration file, 0 from the environment store, -1 from neither (the
// buffer then holds the local address, if there is one).
Reading CommuAddrStr() {
    const TextResult t = CallText(GetCommuAddrStr);
    Reading r;
    r.text = t.text;
    if (t.result >= 5) {
        r.store = Store::ConfigFile;
        r.isDefault = IsDefault::No;
    } else if (t.result == 0) {
        r.store = Store::EnvStore;
        r.isDefault = IsDefault::No;
    } else {
        r.store = Store::Derived;
        r.isDefault = IsDefault::Yes;
    }
    return r;
}

Reading CommuAddr() {
    Reading r;
    r.number = GetCommuAddr();
    return r;
}

template <int (WINAPI* Set)(int)>
int SetInt(long value) { return Set(static_cast<int>(value)); }

template <int (WINAPI* Set)(long)>
int SetLong(long value) { return Set(value); }

int SetSyncTimeMem(long value) {
    setSyncTime(value);
    return 0;
}

template <int (WINAPI* Set)(const char*, unsigned)>
int SetText(const char* text, unsigned length) { return Set(text, length); }

// Its one setter that takes a non-const pointer.
int SetProberDownLoadHostText(const char* text, unsigned length) {
    std::string copy(text);
    return SetProberDownLoadHost(&copy[0], length);
}

constexpr Store kCfg = Store::ConfigFile;
constexpr Store kEnv = Store::EnvStore;
constexpr Store kDer = Store::Derived;
constexpr Store kPro = Store::Process;

constexpr const char kProcessNote[] =
    "lives in the memory of each process that loads the library and starts at 0; "
    "a value set by tavixcfg would end when tavixcfg exits";

}  // namespace

const Setting kSettings[] = {
    // Configuration file NetbarCfg.ini in the host directory.
    {"LogServerAddr", Kind::Text, kCfg, "NetbarCfg.ini [Network] LogServerAddr",
     StoredText<GetLogServerAddr, kCfg>, nullptr, SetText<SetLogServerAddr>, kCfg, Success::NonZero, false, nullptr},
    {"LogServerPort", Kind::Signed, kCfg, "NetbarCfg.ini [Network] LogServerPort",
     Number<int, GetLogServerPort, 10088, kCfg>, SetInt<SetLogServerPort>, nullptr, kCfg, Success::NonZero, false, nullptr},
    {"ProberDownLoadHost", Kind::Text, kCfg, "NetbarCfg.ini [NetWork] ProberDownLoadHost",
     StoredText<GetProberDownLoadHost, kCfg>, nullptr, SetProberDownLoadHostText, kCfg, Success::NonZero, false, nullptr},
    {"ProberDownLoadPort", Kind::Signed, kCfg, "NetbarCfg.ini [NetWork] ProberDownLoadPort",
     Number<int, GetProberDownLoadPort, -1, kCfg>, SetInt<SetProberDownLoadPort>, nullptr, kCfg, Success::NonZero, false, nullptr},
    {"LastActiveTime", Kind::Signed, kCfg, "NetbarCfg.ini [HANDSHAKE] LastActiveTime",
     Number<long, GetLastActiveTime, 0, kCfg>, SetLong<SetLastActiveTime>, nullptr, kCfg, Success::Zero, false, nullptr},
    {"LastFaiLedTime", Kind::Signed, kCfg, "NetbarCfg.ini [HANDSHAKE] LastFaiLedTime",
     Number<long, GetLastFaiLedTime, 0, kCfg>, SetLong<SetLastFaiLedTime>, nullptr, kCfg, Success::Zero, false, nullptr},

    // Environment store, shared by every program of the PC.
    {"CenterAddr", Kind::Text, kEnv, "Network.CenterAddr",
     StoredText<GetCenterAddr, kEnv>, nullptr, SetText<SetCenterAddr>, kEnv, Success::Zero, false, nullptr},
    {"CenterPort", Kind::Signed, kEnv, "Network.CenterPort",
     Number<int, GetCenterPort, 80, kEnv>, SetInt<SetCenterPort>, nullptr, kEnv, Success::Zero, false, nullptr},
    {"CenterUdpPort", Kind::Signed, kEnv, "Network.CenterUDPPort",
     Number<int, GetCenterUdpPort, 8000, kEnv>, SetInt<SetCenterUdpPort>, nullptr, kEnv, Success::Zero, false, nullptr},
    {"HandshakeInterval", Kind::Signed, kEnv, "Network.Handshake.Interval",
     Number<int, GetHandshakeInterval, 60, kEnv>, SetInt<SetHandshakeInterval>, nullptr, kEnv, Success::Zero, false, nullptr},
    {"UnitIdentity", Kind::Text, kEnv, "Audit.Unit.Identity",
     StoredText<GetUnitIdentity, kEnv>, nullptr, SetText<SetUnitIdentity>, kEnv, Success::Zero, false, nullptr},
    {"UnitRegistCode", Kind::Text, kEnv, "Audit.Unit.RegisterCode",
     StoredText<GetUnitRegistCode, kEnv>, nullptr, SetText<SetUnitRegistCode>, kEnv, Success::Zero, false, nullptr},
    {"CurrentUser", Kind::Text, kEnv, "RealName.CurrentUser",
     StoredText<GetCurrentUser, kEnv>, nullptr, SetText<SetCurrentUser>, kEnv, Success::Zero, false, nullptr},
    {"CurrentUserInfo", Kind::Text, kEnv, "RealName.CurrentUserAllInfo",
     StoredText<GetCurrentUserInfo, kEnv>, nullptr, nullptr, kEnv, Success::Zero, false,
     "other programs of the agent put it in the environment store"},
    {"SnapScreenFrequency", Kind::Signed, kEnv, "Audit.Monitor.Screen.Frequency",
     Number<int, GetSnapScreenFrequency, 15, kEnv>, SetInt<SetSnapScreenFrequency>, nullptr, kEnv, Success::Zero, false, nullptr},
    {"DuplicateAlarmSwitch", Kind::Signed, kEnv, "Audit.Alarm.DuplicateControl.Enable",
     Number<int, GetDuplicateAlarmSwitch, 0, kEnv>, SetInt<SetDuplicateAlarmSwitch>, nullptr, kEnv, Success::Zero, false, nullptr},
    {"DuplicateAlarmTime", Kind::Signed, kEnv, "Audit.Alarm.DuplicateControl.Valve",
     Number<int, GetDuplicateAlarmTime, 60, kEnv>, SetInt<SetDuplicateAlarmTime>, nullptr, kEnv, Success::Zero, false, nullptr},
    {"DownFileServerPort", Kind::Signed, kEnv, "Network.DownFile.Server.Port",
     Number<int, GetDownFileServerPort, 10022, kEnv>, SetInt<SetDownFileServerPort>, nullptr, kEnv, Success::Zero, false, nullptr},
    {"OnlineMachineNo", Kind::Signed, kEnv, "Network.OnlineMachine",
     Number<int, GetOnlineMachineNo, 0, kEnv>, SetInt<SetOnlineMachineNo>, nullptr, kEnv, Success::Zero, false, nullptr},
    {"OutsideIP", Kind::Unsigned, kEnv, "Network.OutsideIP",
     Number<unsigned long, GetOutsideIP, 0, kEnv>, nullptr, nullptr, kEnv, Success::Zero, false,
     "other programs of the agent put it in the environment store"},
    {"TerminalOnline", Kind::Signed, kEnv, "TerminalOnLine",
     Number<int, GetTerminalOnline, 0, kEnv>, nullptr, nullptr, kEnv, Success::Zero, false,
     "other programs of the agent put it in the environment store"},
    {"RserviceFunctionFlag", Kind::Signed, kEnv, "RServiceFunctionFlagKey",
     Number<int, GetRserviceFunctionFlag, -1, kEnv>, SetInt<SetRserviceFunctionFlag>, nullptr, kEnv, Success::Zero, false, nullptr},
    {"LocalHostName", Kind::Text, kEnv, "Network.HostName",
     StoredText<GetLocalHostName, kEnv>, nullptr, nullptr, kEnv, Success::Zero, false,
     "other programs of the agent put it in the environment store"},
    {"CenterTimeSync", Kind::Signed, kEnv, "Network.CenterTime (centre time minus this PC's clock)",
     Number<int, GetCenterTimeSync, -1, kEnv>, SetLong<SetCenterTimeSync>, nullptr, kEnv, Success::Zero, false,
     "the value given is the centre's time in seconds since 1970; what is stored and shown is its "
     "difference from this PC's clock"},
    {"TimeOffset", Kind::Unsigned, kEnv, "Network.TimeOffset (the last one read, per process)",
     Number<unsigned long, GetTimeOffset, 0, kEnv>, nullptr, nullptr, kEnv, Success::Zero, false,
     "other programs of the agent put it in the environment store"},

    // Worked out anew at each call.
    {"SetupPath", Kind::Text, kDer, "the folder of the running program (host directory)",
     DerivedText<GetSetupPath>, nullptr, SetText<SetSetupPath>, kEnv, Success::Zero, false,
     "set stores the text under Audit.System.Install.Path in the environment store for other "
     "programs; the library reports the host directory and never reads it back"},
    {"UpLoadFilePath", Kind::Text, kDer, "Files in the host directory, made when missing",
     DerivedText<GetUpLoadFilePath>, nullptr, SetText<SetUpLoadFilePath>, kEnv, Success::Zero, false,
     "set stores the text under Network.UpFilePath in the environment store for other programs; "
     "the library reports the Files folder of the host directory and never reads it back"},
    {"LocalAddr", Kind::Text, kDer, "the first usable IPv4 address of this PC",
     DerivedText<GetLocalAddr>, nullptr, nullptr, kDer, Success::Zero, false,
     "it is found from this PC's host name"},
    {"CommuAddrStr", Kind::Text, kCfg, "NetbarCfg.ini [NetWork] LocalAddr, else Network.LocalAddr, else LocalAddr",
     CommuAddrStr, nullptr, SetText<SetCommuAddrStr>, kCfg, Success::NonZero, false,
     "set writes both NetbarCfg.ini and the environment store; the result is that of the file"},
    {"CommuAddr", Kind::Address, kDer, "CommuAddrStr as a 32-bit address",
     CommuAddr, nullptr, nullptr, kDer, Success::Zero, false, "set CommuAddrStr instead"},
    {"ProberDownLoadHostPortFromSureName", Kind::Text, kDer, "asked of MeskApi.dll in the host directory",
     ProberDownLoadHostPortFromSureName, nullptr, nullptr, kDer, Success::Zero, false,
     "MeskApi.dll answers it"},
    {"SyncTime", Kind::Unsigned, kDer, "Network.ServerTime, else this PC's clock minus TimeOffset",
     DerivedNumber<unsigned long, GetSyncTime, kDer>, nullptr, nullptr, kDer, Success::Zero, false,
     "setSyncTime sets SyncTimeMem, a value of each process"},

    // Per process.
    {"QQFunc", Kind::Signed, kPro, "this process, 0 at load",
     Number<int, GetQQFunc, 0, kPro>, SetInt<SetQQFunc>, nullptr, kPro, Success::Zero, true, kProcessNote},
    {"P2POnLineStatus", Kind::Signed, kPro, "this process, 0 at load",
     Number<int, GetP2POnLineStatus, 0, kPro>, SetInt<SetP2POnLineStatus>, nullptr, kPro, Success::Zero, true, kProcessNote},
    {"SyncTimeMem", Kind::Unsigned, kPro, "this process, 0 at load (set by setSyncTime)",
     Number<unsigned long, GetSyncTimeMem, 0, kPro>, SetSyncTimeMem, nullptr, kPro, Success::Zero, true, kProcessNote},
};

const int kSettingCount = static_cast<int>(sizeof kSettings / sizeof kSettings[0]);

const char* StoreName(Store store) {
    switch (store) {
    case Store::ConfigFile: return "config file";
    case Store::EnvStore: return "env store";
    case Store::Derived: return "derived";
    case Store::Process: return "process";
    }
    return "?";
}

bool HasSetter(const Setting& s) { return s.writeNumber != nullptr || s.writeText != nullptr; }

const Setting* FindSetting(const std::string& name) {
    for (const Setting& s : kSettings) {
        const std::string candidate = s.name;
        if (candidate.size() != name.size()) continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(candidate[i])) ==
                   std::tolower(static_cast<unsigned char>(name[i]));
        if (same) return &s;
    }
    return nullptr;
}

}  // namespace tavixcfg
