// tavixcfg: shows and changes the settings of the agent whose folder it runs
// from. The library's host directory is the folder of the running program,
// so a copy of tavixcfg.exe beside an agent's TavixConfigSet.dll sees that
// agent's NetbarCfg.ini, and the environment store every agent shares.
//
// Exit status: 0 done; 1 a store or file refused a write (the message has
// the result); 2 bad input, and then nothing was written.
#include "settings.h"
#include "text.h"

#include "environment.h"

#include <cstring>
#include <string>
#include <vector>

namespace tavixcfg {
namespace {

// The longest text set accepts: with its terminating zero it must fit the
// environment store's largest value, and it must read back whole through
// the tool's own read buffer. Both come to the same figure.
constexpr size_t kMaxText = ENV_MAX_VALUE - 1;

constexpr int kOk = 0;
constexpr int kStoreFailed = 1;
constexpr int kBadInput = 2;

const char kUsage[] =
    "usage: tavixcfg show [--json]\n"
    "       tavixcfg get NAME\n"
    "       tavixcfg set NAME VALUE\n"
    "       tavixcfg help\n";

int Fail(int status, const std::string& message) {
    WriteErr("tavixcfg: " + message + "\n");
    return status;
}

const char* KindName(Kind kind) {
    switch (kind) {
    case Kind::Signed: return "number";
    case Kind::Unsigned: return "unsigned";
    case Kind::Text: return "text";
    case Kind::Address: return "address";
    }
    return "?";
}

std::string Dotted(long long number) {
    const unsigned long bits = static_cast<unsigned long>(number);
    // Network byte order: the first number of the text is the lowest byte.
    return std::to_string(bits & 0xff) + "." + std::to_string((bits >> 8) & 0xff) + "." +
           std::to_string((bits >> 16) & 0xff) + "." + std::to_string((bits >> 24) & 0xff);
}

// The value as the table and `get` show it (ANSI text).
std::string Shown(const Setting& s, const Reading& r) {
    switch (s.kind) {
    case Kind::Signed:
    case Kind::Unsigned: return std::to_string(r.number);
    case Kind::Text: return Printable(r.text);
    case Kind::Address: return r.number == -1 ? "none (-1)" : Dotted(r.number);
    }
    return {};
}

// The value as a JSON value (UTF-8).
std::string Json(const Setting& s, const Reading& r) {
    switch (s.kind) {
    case Kind::Signed:
    case Kind::Unsigned: return std::to_string(r.number);
    case Kind::Text: return JsonString(AnsiToUtf8(r.text));
    case Kind::Address: return r.number == -1 ? "null" : JsonString(Dotted(r.number));
    }
    return "null";
}

const char* DefaultWord(IsDefault d) {
    switch (d) {
    case IsDefault::Yes: return "yes";
    case IsDefault::No: return "no";
    case IsDefault::NotApplicable: return "-";
    }
    return "-";
}

const char* DefaultJson(IsDefault d) {
    switch (d) {
    case IsDefault::Yes: return "true";
    case IsDefault::No: return "false";
    case IsDefault::NotApplicable: return "null";
    }
    return "null";
}

bool Settable(const Setting& s) { return HasSetter(s) && !s.refuseSet; }

std::string Pad(const std::string& text, size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

void PrintTable(const std::vector<std::vector<std::string>>& rows) {
    std::vector<size_t> width;
    for (const auto& row : rows)
        for (size_t c = 0; c < row.size(); ++c) {
            if (width.size() <= c) width.push_back(0);
            if (row[c].size() > width[c]) width[c] = row[c].size();
        }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c)
            line += c + 1 == row.size() ? row[c] : Pad(row[c], width[c] + 2);
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
    WriteOut(out);
}

int Help() {
    std::vector<std::vector<std::string>> rows = {{"NAME", "TYPE", "STORE", "SET", "WHERE"}};
    for (int i = 0; i < kSettingCount; ++i) {
        const Setting& s = kSettings[i];
        const char* set = !HasSetter(s) ? "-" : s.refuseSet ? "no (per process)" : "yes";
        rows.push_back({s.name, KindName(s.kind), StoreName(s.store), set, s.location});
    }
    WriteOut(std::string(kUsage) +
             "\n"
             "Shows and changes the settings of the agent in the folder of this program:\n"
             "its NetbarCfg.ini, and the environment store shared by every agent program.\n"
             "NAME is matched without regard to case. Text is taken and shown in the\n"
             "system's ANSI code page; show --json gives it as UTF-8. DEFAULT says whether\n"
             "the value is what the library gives when nothing is stored.\n"
             "Exit status: 0 done, 1 a store or file refused the write, 2 bad input.\n\n");
    PrintTable(rows);
    return kOk;
}

int Show(bool json) {
    if (!json) {
        std::vector<std::vector<std::string>> rows = {{"NAME", "VALUE", "STORE", "DEFAULT"}};
        for (int i = 0; i < kSettingCount; ++i) {
            const Setting& s = kSettings[i];
            const Reading r = s.read();
            rows.push_back({s.name, Shown(s, r), StoreName(r.store), DefaultWord(r.isDefault)});
        }
        PrintTable(rows);
        return kOk;
    }
    std::string out = "{\n";
    for (int i = 0; i < kSettingCount; ++i) {
        const Setting& s = kSettings[i];
        const Reading r = s.read();
        out += "  " + JsonString(s.name) + ": {\"value\": " + Json(s, r) + ", \"store\": " +
               JsonString(StoreName(r.store)) + ", \"default\": " + DefaultJson(r.isDefault) +
               ", \"settable\": " + (Settable(s) ? "true" : "false") + "}" +
               (i + 1 < kSettingCount ? ",\n" : "\n");
    }
    WriteRaw(out + "}\n");
    return kOk;
}

int UnknownName(const std::string& name) {
    return Fail(kBadInput, "unknown name '" + name + "' (tavixcfg help lists the names)");
}

int Get(const std::vector<std::string>& args) {
    if (args.empty()) return Fail(kBadInput, "get needs a NAME");
    if (args.size() > 1) return Fail(kBadInput, "get takes one NAME; unexpected '" + args[1] + "'");
    const Setting* s = FindSetting(args[0]);
    if (!s) return UnknownName(args[0]);
    WriteOut(Shown(*s, s->read()) + "\n");
    return kOk;
}

int Set(const std::vector<std::string>& args) {
    if (args.empty()) return Fail(kBadInput, "set needs a NAME and a VALUE");
    const Setting* s = FindSetting(args[0]);
    if (!s) return UnknownName(args[0]);
    const std::string name = s->name;
    if (!HasSetter(*s)) return Fail(kBadInput, name + " is read-only: " + s->note);
    if (s->refuseSet) return Fail(kBadInput, name + " cannot be set from tavixcfg: it " + s->note);
    if (args.size() < 2) return Fail(kBadInput, "set " + name + " needs a VALUE");
    if (args.size() > 2) return Fail(kBadInput, "set takes a NAME and one VALUE; unexpected '" + args[2] + "'");
    const std::string& value = args[1];

    int result;
    if (s->writeNumber) {
        long number;
        if (!ParseInt32(value, &number))
            return Fail(kBadInput, name + " takes a whole number from -2147483648 to 2147483647, not '" +
                                       value + "'");
        result = s->writeNumber(number);
    } else {
        if (value.size() > kMaxText)
            return Fail(kBadInput, name + " takes at most " + std::to_string(kMaxText) + " bytes of text; this one has " +
                                       std::to_string(value.size()));
        if (s->writesTo == Store::ConfigFile && value.find_first_of("\r\n") != std::string::npos)
            return Fail(kBadInput, name + " cannot hold a line break: NetbarCfg.ini keeps a value on one line");
        // With the terminating zero, so every reader of the store gets a terminated text.
        result = s->writeText(value.c_str(), static_cast<unsigned>(value.size() + 1));
    }
    const bool ok = s->success == Success::Zero ? result == 0 : result != 0;
    if (!ok)
        return Fail(kStoreFailed, "writing " + name + " to the " +
                                      (s->writesTo == Store::ConfigFile ? "configuration file" : "environment store") +
                                      " failed: result " + std::to_string(result));
    std::string out = name + " = " + (s->writeNumber ? value : Printable(value)) + "\n";
    if (s->note) out += "  (" + std::string(s->note) + ")\n";
    WriteOut(out);
    return kOk;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) return Fail(kBadInput, "missing command (tavixcfg help lists the commands)");
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "help" || command == "--help" || command == "-h" || command == "/?") return Help();
    if (command == "show") {
        if (rest.empty()) return Show(false);
        if (rest.size() == 1 && rest[0] == "--json") return Show(true);
        return Fail(kBadInput, "show takes only --json; unexpected '" + rest[rest[0] == "--json" ? 1 : 0] + "'");
    }
    if (command == "get") return Get(rest);
    if (command == "set") return Set(rest);
    return Fail(kBadInput, "unknown command '" + command + "' (tavixcfg help lists the commands)");
}

}  // namespace
}  // namespace tavixcfg

int main(int argc, char** argv) {
    try {
        return tavixcfg::Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (...) {
        return tavixcfg::Fail(1, "out of memory");
    }
}
