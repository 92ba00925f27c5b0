// The values tavixcfg knows: one row per value the library serves, with the
// export that reads it, the export that writes it (if any) and where it lives.
#pragma once

#include <string>

namespace tavixcfg {

// Where a value lives. "Derived" values are worked out anew at each call;
// "Process" values live in the memory of the process that loaded the library.
enum class Store { ConfigFile, EnvStore, Derived, Process };

const char* StoreName(Store store);

// How a value is shown: a signed or unsigned 32-bit number, ANSI text, or an
// IPv4 address in network byte order.
enum class Kind { Signed, Unsigned, Text, Address };

enum class IsDefault { No, Yes, NotApplicable };

struct Reading {
    long long number = 0;  // Signed, Unsigned, Address
    std::string text;      // Text
    Store store = Store::Derived;
    IsDefault isDefault = IsDefault::NotApplicable;
};

// What a setter's result means.
enum class Success {
    Zero,     // 0 is success (environment store, handshake times)
    NonZero,  // the profile writer's flag: non-zero is success
};

struct Setting {
    const char* name;       // the exports' noun
    Kind kind;
    Store store;            // where the shown value comes from (CommuAddrStr: where it first looks)
    const char* location;   // store key, or [section] key, or what it is derived from
    Reading (*read)();
    // Writing: exactly one of these, or none for a value with no setter.
    int (*writeNumber)(long value);
    int (*writeText)(const char* text, unsigned length);
    Store writesTo;         // meaningful when there is a setter
    Success success;
    bool refuseSet;         // a setter exists, but setting it from a one-shot tool is pointless
    const char* note;       // said after a successful set, or why set is refused
};

// Every value, in the order `show` lists them.
extern const Setting kSettings[];
extern const int kSettingCount;

// The setting of that name, matched without regard to case; nullptr if none.
const Setting* FindSetting(const std::string& name);

bool HasSetter(const Setting& s);

}  // namespace tavixcfg
