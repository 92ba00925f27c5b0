// Settings kept in the environment store. They differ only in key, encoding,
// initial value and the rule that turns the stored value into the result.
#include "TavixConfigSet.h"

#include "env_client.h"
#include "env_keys.h"

#include <cstdint>

namespace tavixconfig {
namespace {

enum class Rule {
    AsStored,        // the value as it stands
    GreaterThanZero, // the value when above 0, else the default
    NonZero,         // the value when not 0, else the default
};

struct IntSetting {
    const char* key;
    std::int32_t initial;  // what stands when the store delivers nothing
    Rule rule;
    std::int32_t fallback;
};

constexpr IntSetting kScreenFrequency{env_keys::kScreenFrequency, 0, Rule::GreaterThanZero, 15};
constexpr IntSetting kDuplicateAlarmSwitch{env_keys::kDuplicateAlarmEnable, 0, Rule::AsStored, 0};
constexpr IntSetting kDuplicateAlarmTime{env_keys::kDuplicateAlarmValve, 0, Rule::GreaterThanZero, 60};
constexpr IntSetting kCenterPort{env_keys::kCenterPort, 0, Rule::NonZero, 80};
constexpr IntSetting kCenterUdpPort{env_keys::kCenterUdpPort, 0, Rule::NonZero, 8000};
constexpr IntSetting kHandshakeInterval{env_keys::kHandshakeInterval, 0, Rule::NonZero, 60};
constexpr IntSetting kDownFileServerPort{env_keys::kDownFileServerPort, 0, Rule::NonZero, 10022};
constexpr IntSetting kOnlineMachine{env_keys::kOnlineMachine, 0, Rule::AsStored, 0};
constexpr IntSetting kOutsideIp{env_keys::kOutsideIp, 0, Rule::AsStored, 0};
constexpr IntSetting kTerminalOnline{env_keys::kTerminalOnline, 0, Rule::AsStored, 0};
constexpr IntSetting kRServiceFunctionFlag{env_keys::kRServiceFunctionFlag, -1, Rule::AsStored, -1};

std::int32_t Read(const IntSetting& setting) {
    std::int32_t value = setting.initial;
    unsigned int length = sizeof value;
    ReadEnvValue(setting.key, &value, &length);
    switch (setting.rule) {
    case Rule::GreaterThanZero: return value > 0 ? value : setting.fallback;
    case Rule::NonZero: return value != 0 ? value : setting.fallback;
    case Rule::AsStored: break;
    }
    return value;
}

int Write(const IntSetting& setting, std::int32_t value) {
    return WriteEnvValue(setting.key, &value, sizeof value);
}

int ReadText(const char* key, char* buffer, unsigned int size) {
    unsigned int capacity = size;
    return ReadEnvValue(key, buffer, &capacity);
}

int WriteText(const char* key, const char* text, unsigned int length) {
    return WriteEnvValue(key, text, length);
}

}  // namespace
}  // namespace tavixconfig

using namespace tavixconfig;
namespace keys = tavixconfig::env_keys;

int WINAPI tavixconfig::GetUnitIdentity(char* buffer, unsigned int size) { return ReadText(keys::kUnitIdentity, buffer, size); }
int WINAPI tavixconfig::SetUnitIdentity(const char* text, unsigned int length) { return WriteText(keys::kUnitIdentity, text, length); }
int WINAPI tavixconfig::GetUnitRegistCode(char* buffer, unsigned int size) { return ReadText(keys::kUnitRegisterCode, buffer, size); }
int WINAPI tavixconfig::SetUnitRegistCode(const char* text, unsigned int length) { return WriteText(keys::kUnitRegisterCode, text, length); }
int WINAPI tavixconfig::GetCurrentUser(char* buffer, unsigned int size) { return ReadText(keys::kCurrentUser, buffer, size); }
int WINAPI tavixconfig::SetCurrentUser(const char* text, unsigned int length) { return WriteText(keys::kCurrentUser, text, length); }
int WINAPI tavixconfig::GetCurrentUserInfo(char* buffer, unsigned int size) { return ReadText(keys::kCurrentUserAllInfo, buffer, size); }
int WINAPI tavixconfig::GetCenterAddr(char* buffer, unsigned int size) { return ReadText(keys::kCenterAddr, buffer, size); }
int WINAPI tavixconfig::SetCenterAddr(const char* text, unsigned int length) { return WriteText(keys::kCenterAddr, text, length); }
int WINAPI tavixconfig::SetSetupPath(const char* text, unsigned int length) { return WriteText(keys::kInstallPath, text, length); }
int WINAPI tavixconfig::SetUpLoadFilePath(const char* text, unsigned int length) { return WriteText(keys::kUpFilePath, text, length); }

int WINAPI tavixconfig::GetSnapScreenFrequency(void) { return Read(kScreenFrequency); }
int WINAPI tavixconfig::SetSnapScreenFrequency(int value) { return Write(kScreenFrequency, value); }
int WINAPI tavixconfig::GetDuplicateAlarmSwitch(void) { return Read(kDuplicateAlarmSwitch); }
int WINAPI tavixconfig::SetDuplicateAlarmSwitch(int value) { return Write(kDuplicateAlarmSwitch, value); }
int WINAPI tavixconfig::GetDuplicateAlarmTime(void) { return Read(kDuplicateAlarmTime); }
int WINAPI tavixconfig::SetDuplicateAlarmTime(int value) { return Write(kDuplicateAlarmTime, value); }
int WINAPI tavixconfig::GetCenterPort(void) { return Read(kCenterPort); }
int WINAPI tavixconfig::SetCenterPort(int value) { return Write(kCenterPort, value); }
int WINAPI tavixconfig::GetCenterUdpPort(void) { return Read(kCenterUdpPort); }
int WINAPI tavixconfig::SetCenterUdpPort(int value) { return Write(kCenterUdpPort, value); }
int WINAPI tavixconfig::GetHandshakeInterval(void) { return Read(kHandshakeInterval); }
int WINAPI tavixconfig::SetHandshakeInterval(int value) { return Write(kHandshakeInterval, value); }
int WINAPI tavixconfig::GetDownFileServerPort(void) { return Read(kDownFileServerPort); }
int WINAPI tavixconfig::SetDownFileServerPort(int value) { return Write(kDownFileServerPort, value); }
int WINAPI tavixconfig::GetOnlineMachineNo(void) { return Read(kOnlineMachine); }
int WINAPI tavixconfig::SetOnlineMachineNo(int value) { return Write(kOnlineMachine, value); }
int WINAPI tavixconfig::GetTerminalOnline(void) { return Read(kTerminalOnline); }
int WINAPI tavixconfig::GetRserviceFunctionFlag(void) { return Read(kRServiceFunctionFlag); }
int WINAPI tavixconfig::SetRserviceFunctionFlag(int value) { return Write(kRServiceFunctionFlag, value); }
unsigned long WINAPI tavixconfig::GetOutsideIP(void) { return static_cast<std::uint32_t>(Read(kOutsideIp)); }

// The alias of ordinal 1 is this very function (the export table maps both
// names onto it).
