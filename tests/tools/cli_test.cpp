// tavixcfg.exe run for real, from agent folders of its own, under Wine.
#include "agent.h"
#include "json.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace tcs_tools_test {
namespace {

using tcs_test::DirectoryExists;
using tcs_test::FileExists;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Columns of a table row: separated by two spaces or more.
std::vector<std::string> Columns(const std::string& row) {
    std::vector<std::string> cols;
    size_t i = 0;
    while (i < row.size()) {
        size_t end = row.find("  ", i);
        if (end == std::string::npos) end = row.size();
        cols.push_back(row.substr(i, end - i));
        i = row.find_first_not_of(' ', end);
        if (i == std::string::npos) break;
    }
    return cols;
}

Json ShowJson(const Agent& agent) {
    const ToolRun run = agent.Tool({"show", "--json"});
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    Json doc;
    std::string error;
    EXPECT_TRUE(ParseJson(run.out, &doc, &error)) << error << "\n" << run.out;
    EXPECT_EQ(doc.type, Json::Type::Object);
    return doc;
}

const Json& Entry(const Json& doc, const std::string& name) {
    static const Json missing;
    const Json* e = doc.Find(name);
    EXPECT_NE(e, nullptr) << name;
    return e ? *e : missing;
}

std::string Hex(const std::string& bytes) {
    std::string out;
    char h[4];
    for (unsigned char c : bytes) { std::snprintf(h, sizeof h, "%02x", c); out += h; }
    return out;
}

// The whole buffer the probe's getter call left, as hex.
std::string ProbeBufferHex(const Agent& agent, const std::string& command) {
    const ToolRun run = agent.Probe({command});
    const std::string line = Lines(run.out).empty() ? "" : Lines(run.out).front();
    return line.substr(line.rfind('\t') + 1);
}

std::string Get(const Agent& agent, const std::string& name) {
    const ToolRun run = agent.Tool({"get", name});
    EXPECT_EQ(run.exitCode, 0u) << name << ": " << run.err;
    return run.out.empty() ? "" : run.out.substr(0, run.out.size() - 1);  // without its newline
}

TEST(Tavixcfg, FreshAgentShowsEveryStoredValueAtItsDefault) {
    Agent agent("fresh");
    const Json doc = ShowJson(agent);

    struct Expected { const char* name; double value; const char* store; };
    const Expected numbers[] = {
        {"LogServerPort", 10088, "config file"}, {"ProberDownLoadPort", -1, "config file"},
        {"LastActiveTime", 0, "config file"},    {"LastFaiLedTime", 0, "config file"},
        {"CenterPort", 80, "env store"},         {"CenterUdpPort", 8000, "env store"},
        {"HandshakeInterval", 60, "env store"},  {"SnapScreenFrequency", 15, "env store"},
        {"DuplicateAlarmSwitch", 0, "env store"}, {"DuplicateAlarmTime", 60, "env store"},
        {"DownFileServerPort", 10022, "env store"}, {"OnlineMachineNo", 0, "env store"},
        {"OutsideIP", 0, "env store"},           {"TerminalOnline", 0, "env store"},
        {"RserviceFunctionFlag", -1, "env store"}, {"CenterTimeSync", -1, "env store"},
        {"TimeOffset", 0, "env store"},          {"QQFunc", 0, "process"},
        {"P2POnLineStatus", 0, "process"},       {"SyncTimeMem", 0, "process"},
    };
    for (const Expected& e : numbers) {
        const Json& entry = Entry(doc, e.name);
        ASSERT_EQ(entry.Find("value")->type, Json::Type::Number) << e.name;
        EXPECT_EQ(entry.Find("value")->number, e.value) << e.name;
        EXPECT_EQ(entry.Find("store")->string, e.store) << e.name;
        EXPECT_TRUE(entry.Find("default")->boolean) << e.name;
    }
    for (const char* name : {"LogServerAddr", "ProberDownLoadHost", "CenterAddr", "UnitIdentity", "UnitRegistCode",
                             "CurrentUser", "CurrentUserInfo", "LocalHostName"}) {
        const Json& entry = Entry(doc, name);
        EXPECT_EQ(entry.Find("value")->string, "") << name;
        EXPECT_TRUE(entry.Find("default")->boolean) << name;
    }
    EXPECT_EQ(Entry(doc, "SetupPath").Find("value")->string, agent.dir());
    EXPECT_EQ(Entry(doc, "SetupPath").Find("default")->type, Json::Type::Null);
    EXPECT_EQ(Entry(doc, "UpLoadFilePath").Find("value")->string, agent.dir() + "\\Files");
    // Nothing configured: the communication address falls back on discovery.
    EXPECT_EQ(Entry(doc, "CommuAddrStr").Find("store")->string, "derived");
    EXPECT_TRUE(Entry(doc, "CommuAddrStr").Find("default")->boolean);
    EXPECT_EQ(Entry(doc, "ProberDownLoadHostPortFromSureName").Find("value")->string, "");  // no MeskApi.dll
    EXPECT_EQ(Entry(doc, "SyncTime").Find("value")->type, Json::Type::Number);
    // Reading creates no configuration file.
    EXPECT_FALSE(FileExists(agent.ConfigFile()));
}

TEST(Tavixcfg, TableShowsTheSameRowsAsJson) {
    Agent agent("table");
    ASSERT_EQ(agent.Tool({"set", "CenterPort", "514"}).exitCode, 0u);
    const Json doc = ShowJson(agent);
    const ToolRun run = agent.Tool({"show"});
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), doc.object.size() + 1);
    EXPECT_EQ(Columns(lines[0]), (std::vector<std::string>{"NAME", "VALUE", "STORE", "DEFAULT"}));
    for (size_t i = 0; i < doc.object.size(); ++i) {
        const std::vector<std::string> cols = Columns(lines[i + 1]);
        const Json& entry = doc.object[i].second;
        ASSERT_GE(cols.size(), 3u) << lines[i + 1];
        EXPECT_EQ(cols.front(), doc.object[i].first);
        // An empty value leaves its column blank: store and default are the last two.
        EXPECT_EQ(cols[cols.size() - 2], entry.Find("store")->string) << lines[i + 1];
        const Json* d = entry.Find("default");
        EXPECT_EQ(cols.back(), d->type == Json::Type::Null ? "-" : d->boolean ? "yes" : "no") << lines[i + 1];
    }
    EXPECT_NE(run.out.find("CenterPort                          514"), std::string::npos) << run.out;
}

// Every getter of the export table has its row, named by its noun, and set
// is offered exactly where a setter exists.
TEST(Tavixcfg, HelpNamesEveryGetterAndOffersSetWhereASetterExists) {
    std::ifstream table(TCS_EXPORTS_TABLE);
    ASSERT_TRUE(table) << TCS_EXPORTS_TABLE;
    std::set<std::string> getters, setters;
    for (std::string line; std::getline(table, line);) {
        std::istringstream row(line);
        std::string ordinal, name;
        if (!(row >> ordinal >> name) || ordinal[0] < '0' || ordinal[0] > '9' || name[0] != '?') continue;
        const std::string function = name.substr(1, name.find('@') - 1);
        const std::string noun = function.substr(3);
        if (function == "setSyncTime") setters.insert("SyncTimeMem");  // it sets what GetSyncTimeMem returns
        else if (function.compare(0, 3, "Get") == 0) getters.insert(noun);
        else setters.insert(noun);
    }
    ASSERT_EQ(getters.size(), 35u);

    Agent agent("help");
    const ToolRun run = agent.Tool({"help"});
    ASSERT_EQ(run.exitCode, 0u);
    std::map<std::string, std::string> listed;  // name -> SET column
    bool inTable = false;
    for (const std::string& line : Lines(run.out)) {
        const std::vector<std::string> cols = Columns(line);
        if (!cols.empty() && cols[0] == "NAME") { inTable = true; continue; }
        if (inTable && cols.size() >= 4) listed[cols[0]] = cols[3];
    }
    std::set<std::string> names;
    for (const auto& l : listed) names.insert(l.first);
    EXPECT_EQ(names, getters);
    for (const auto& l : listed) {
        if (setters.count(l.first)) EXPECT_NE(l.second, "-") << l.first;
        else EXPECT_EQ(l.second, "-") << l.first;
    }
}

TEST(Tavixcfg, SetThenGetRoundTrips) {
    Agent agent("roundtrip");
    struct Case { const char* name; const char* value; const char* shown; const char* store; };
    const Case cases[] = {
        {"CenterPort", "514", "514", "env store"},
        {"centerport", "-5", "-5", "env store"},          // names ignore case; no range is imposed
        {"CenterPort", "0", "80", "env store"},           // a stored 0 reads as the default
        {"CenterUdpPort", "2147483647", "2147483647", "env store"},
        {"HandshakeInterval", "-2147483648", "-2147483648", "env store"},
        {"SnapScreenFrequency", "-5", "15", "env store"},
        {"DuplicateAlarmSwitch", "1", "1", "env store"},
        {"DuplicateAlarmTime", "+30", "30", "env store"},
        {"DownFileServerPort", "10023", "10023", "env store"},
        {"OnlineMachineNo", "007", "7", "env store"},
        {"RserviceFunctionFlag", "5", "5", "env store"},
        {"CenterAddr", "10.8.0.1", "10.8.0.1", "env store"},
        {"UnitIdentity", "3301020001", "3301020001", "env store"},
        {"UnitRegistCode", "R-77 x", "R-77 x", "env store"},
        {"CurrentUser", "", "", "env store"},
        {"LogServerAddr", "log.example.net", "log.example.net", "config file"},
        {"LOGSERVERPORT", "514", "514", "config file"},
        {"ProberDownLoadHost", "dl.example.net", "dl.example.net", "config file"},
        {"ProberDownLoadPort", "0", "0", "config file"},
        {"LastActiveTime", "-5", "-5", "config file"},
        {"lastfailedtime", "1700000000", "1700000000", "config file"},
        {"CommuAddrStr", "192.168.1.5", "192.168.1.5", "config file"},
        {"CommuAddr", nullptr, "192.168.1.5", "derived"},
        // The setter stores a value for other programs; the getter keeps reporting the folder.
        {"SetupPath", "D:\\elsewhere", "<dir>", "derived"},
        {"UpLoadFilePath", "D:\\elsewhere\\up", "<dir>\\Files", "derived"},
    };
    for (const Case& c : cases) {
        std::string shown = c.shown;
        if (shown.rfind("<dir>", 0) == 0) shown = agent.dir() + shown.substr(5);
        if (c.value) {
            const ToolRun set = agent.Tool({"set", c.name, c.value});
            EXPECT_EQ(set.exitCode, 0u) << c.name << " " << c.value << ": " << set.err;
            EXPECT_EQ(set.err, "");
        }
        EXPECT_EQ(Get(agent, c.name), shown) << c.name;
    }
    const Json doc = ShowJson(agent);
    for (const Case& c : cases) {
        std::string canonical;
        for (const auto& member : doc.object)
            if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, member.first.c_str(), -1, c.name, -1) == CSTR_EQUAL)
                canonical = member.first;
        ASSERT_FALSE(canonical.empty()) << c.name;
        EXPECT_EQ(Entry(doc, canonical).Find("store")->string, c.store) << c.name;
    }
    EXPECT_TRUE(Entry(doc, "CenterPort").Find("default")->boolean) << "a stored 0 reads as the default";
    EXPECT_FALSE(Entry(doc, "OnlineMachineNo").Find("default")->boolean);

    const std::string ini = tcs_test::ReadFileText(agent.ConfigFile());
    for (const char* line : {"LogServerPort=514", "LogServerAddr=log.example.net", "LastFaiLedTime=1700000000",
                             "LocalAddr=192.168.1.5"})
        EXPECT_NE(ini.find(line), std::string::npos) << line << "\n" << ini;
}

TEST(Tavixcfg, CenterTimeSyncTakesTheCentreTimeAndShowsTheDifference) {
    Agent agent("centretime");
    const long centre = static_cast<long>(std::time(nullptr)) + 100;
    ASSERT_EQ(agent.Tool({"set", "CenterTimeSync", std::to_string(centre)}).exitCode, 0u);
    const long difference = std::stol(Get(agent, "CenterTimeSync"));
    EXPECT_GE(difference, 95);
    EXPECT_LE(difference, 100);
}

TEST(Tavixcfg, TextsGoToTheStoreWithTheirTerminatingZero) {
    Agent agent("terminated");
    for (const char* name : {"CurrentUser", "CenterAddr", "UnitIdentity", "UnitRegistCode"})
        ASSERT_EQ(agent.Tool({"set", name, "abc"}).exitCode, 0u) << name;
    // The probe fills its buffer with cc first: exactly "abc" and its zero arrive.
    for (const char* getter : {"GetCurrentUser|8", "GetCenterAddr|8", "GetUnitIdentity|8", "GetUnitRegistCode|8"})
        EXPECT_EQ(ProbeBufferHex(agent, getter), "61626300cccccccc") << getter;
}

TEST(Tavixcfg, LongestTextsGoInWholeAndOneByteMoreIsRefused) {
    Agent agent("longest");
    const std::string longest(4095, 'x');
    for (const char* name : {"UnitIdentity", "LogServerAddr", "CommuAddrStr"}) {
        const ToolRun set = agent.Tool({"set", name, longest});
        EXPECT_EQ(set.exitCode, 0u) << name << ": " << set.err;
        EXPECT_EQ(Get(agent, name), longest) << name;
        const ToolRun tooLong = agent.Tool({"set", name, longest + "y"});
        EXPECT_EQ(tooLong.exitCode, 2u) << name;
        EXPECT_NE(tooLong.err.find("at most 4095 bytes"), std::string::npos) << tooLong.err;
        EXPECT_EQ(Get(agent, name), longest) << name << " was changed by a refused set";
    }
}

TEST(Tavixcfg, BadInputGetsOneLineExit2AndWritesNothing) {
    Agent agent("badinput");
    struct Case { std::vector<std::string> args; const char* message; };
    const std::string tooLong(4096, 'x');
    const Case cases[] = {
        {{}, "missing command"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"show", "--xml"}, "unexpected '--xml'"},
        {{"show", "--json", "x"}, "unexpected 'x'"},
        {{"get"}, "get needs a NAME"},
        {{"get", "NoSuchThing"}, "unknown name 'NoSuchThing'"},
        {{"get", "CenterPort", "x"}, "unexpected 'x'"},
        {{"set"}, "set needs a NAME and a VALUE"},
        {{"set", "NoSuchThing", "1"}, "unknown name 'NoSuchThing'"},
        {{"set", "CenterPort"}, "set CenterPort needs a VALUE"},
        {{"set", "CenterAddr"}, "set CenterAddr needs a VALUE"},
        {{"set", "CenterPort", "1", "2"}, "unexpected '2'"},
        // read-only values
        {{"set", "OutsideIP", "1"}, "OutsideIP is read-only"},
        {{"set", "TerminalOnline", "1"}, "TerminalOnline is read-only"},
        {{"set", "CurrentUserInfo", "x"}, "CurrentUserInfo is read-only"},
        {{"set", "LocalHostName", "pc"}, "LocalHostName is read-only"},
        {{"set", "TimeOffset", "1"}, "TimeOffset is read-only"},
        {{"set", "LocalAddr", "1.2.3.4"}, "LocalAddr is read-only"},
        {{"set", "CommuAddr", "1.2.3.4"}, "CommuAddr is read-only"},
        {{"set", "SyncTime", "1"}, "SyncTime is read-only"},
        {{"set", "ProberDownLoadHostPortFromSureName", "x"}, "is read-only"},
        // values of each process
        {{"set", "QQFunc", "1"}, "QQFunc cannot be set from tavixcfg"},
        {{"set", "P2POnLineStatus", "1"}, "P2POnLineStatus cannot be set from tavixcfg"},
        {{"set", "SyncTimeMem", "1"}, "SyncTimeMem cannot be set from tavixcfg"},
        // numbers
        {{"set", "CenterPort", "abc"}, "CenterPort takes a whole number"},
        {{"set", "CenterPort", ""}, "whole number"},
        {{"set", "CenterPort", "12x"}, "whole number"},
        {{"set", "CenterPort", "0x10"}, "whole number"},
        {{"set", "CenterPort", " 5"}, "whole number"},
        {{"set", "CenterPort", "1.5"}, "whole number"},
        {{"set", "CenterPort", "-"}, "whole number"},
        {{"set", "LogServerPort", "2147483648"}, "LogServerPort takes a whole number"},
        {{"set", "LastActiveTime", "-2147483649"}, "whole number"},
        {{"set", "CenterTimeSync", "4294967296"}, "whole number"},
        {{"set", "CenterPort", "99999999999999999999999"}, "whole number"},
        // texts
        {{"set", "UnitIdentity", tooLong}, "UnitIdentity takes at most 4095 bytes"},
        {{"set", "LogServerAddr", tooLong}, "LogServerAddr takes at most 4095 bytes"},
        {{"set", "SetupPath", tooLong}, "at most 4095 bytes"},
        {{"set", "LogServerAddr", "a\nb"}, "LogServerAddr cannot hold a line break"},
        {{"set", "ProberDownLoadHost", "a\rb"}, "cannot hold a line break"},
        {{"set", "CommuAddrStr", "1.2.3.4\r\nLogServerPort=1"}, "cannot hold a line break"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& a : c.args) shown += " [" + a.substr(0, 20) + "]";
        const ToolRun run = agent.Tool(c.args);
        EXPECT_EQ(run.exitCode, 2u) << shown;
        EXPECT_EQ(run.out, "") << shown;
        const std::vector<std::string> lines = Lines(run.err);
        ASSERT_EQ(lines.size(), 1u) << shown << "\n" << run.err;
        EXPECT_EQ(lines[0].rfind("tavixcfg: ", 0), 0u) << run.err;
        EXPECT_NE(lines[0].find(c.message), std::string::npos) << shown << "\n" << run.err;
        EXPECT_FALSE(FileExists(agent.ConfigFile())) << shown;
        EXPECT_FALSE(DirectoryExists(agent.storeDir())) << shown << ": the store was opened";
    }
}

TEST(Tavixcfg, StoreAndFileFailuresExit1WithTheResult) {
    struct Case { std::vector<std::string> args; const char* message; };
    {
        // A store folder the environment store refuses: its path is too long.
        Agent agent("storefails");
        agent.SetStoreDir(agent.dir() + "\\" + std::string(220, 's'));
        const Case cases[] = {
            {{"set", "CenterPort", "1"}, "writing CenterPort to the environment store failed: result -1"},
            {{"set", "UnitIdentity", "x"}, "writing UnitIdentity to the environment store failed: result -1"},
            {{"set", "CenterTimeSync", "0"}, "result -1"},
            {{"set", "SetupPath", "C:\\x"}, "result -1"},
        };
        for (const Case& c : cases) {
            const ToolRun run = agent.Tool(c.args);
            EXPECT_EQ(run.exitCode, 1u) << c.args[1];
            EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
            EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
        }
        // Getters have no failure of their own: show still lists the defaults.
        const Json doc = ShowJson(agent);
        EXPECT_EQ(Entry(doc, "CenterPort").Find("value")->number, 80);
    }
    {
        // A folder in the place of NetbarCfg.ini: every write of the file fails.
        Agent agent("filefails");
        ASSERT_TRUE(CreateDirectoryA(agent.ConfigFile().c_str(), nullptr));
        const Case cases[] = {
            {{"set", "LogServerPort", "514"}, "writing LogServerPort to the configuration file failed: result 0"},
            {{"set", "LogServerAddr", "x"}, "result 0"},
            {{"set", "ProberDownLoadHost", "x"}, "result 0"},
            {{"set", "ProberDownLoadPort", "1"}, "result 0"},
            {{"set", "LastActiveTime", "5"}, "writing LastActiveTime to the configuration file failed: result -1"},
            {{"set", "LastFaiLedTime", "5"}, "result -1"},
            {{"set", "CommuAddrStr", "10.0.0.9"}, "result 0"},
        };
        for (const Case& c : cases) {
            const ToolRun run = agent.Tool(c.args);
            EXPECT_EQ(run.exitCode, 1u) << c.args[1];
            EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        }
    }
}

// ANSI text as the agents' PCs have it (a user name in GBK): get gives the
// bytes back unchanged, the JSON gives their characters in UTF-8. Wine takes
// the ANSI code page from the locale, so CTest runs this once more under a
// Chinese locale.
TEST(Tavixcfg, JsonCarriesAnsiTextAsUtf8) {
    struct Case { UINT codePage; const char* ansi; const char* utf8; };
    const Case cases[] = {
        // Zhang San in GBK
        {936, "\xd5\xc5\xc8\xfd", "\xe5\xbc\xa0\xe4\xb8\x89"},
        // the same bytes in Windows-1252: O tilde, A ring, E grave, y acute
        {1252, "\xd5\xc5\xc8\xfd", "\xc3\x95\xc3\x85\xc3\x88\xc3\xbd"},
    };
    const Case* c = nullptr;
    for (const Case& candidate : cases)
        if (candidate.codePage == GetACP()) c = &candidate;
    if (!c) GTEST_SKIP() << "no case for ANSI code page " << GetACP();

    Agent agent("ansi" + std::to_string(c->codePage));
    const ToolRun set = agent.Tool({"set", "CurrentUser", c->ansi});
    ASSERT_EQ(set.exitCode, 0u) << set.err;
    EXPECT_EQ(Get(agent, "CurrentUser"), c->ansi);
    EXPECT_EQ(ProbeBufferHex(agent, "GetCurrentUser|6"), Hex(c->ansi) + "00cc");
    // Bytes the code page cannot map (a GBK lead byte with no trail byte),
    // stored by another program: the JSON stays valid all the same.
    const ToolRun stored = agent.Probe({"SetUnitIdentity|ab\\x81\\xff\\x81|6"});
    ASSERT_EQ(stored.exitCode, 0u) << stored.out;
    const Json doc = ShowJson(agent);
    EXPECT_EQ(Entry(doc, "CurrentUser").Find("value")->string, c->utf8);
    EXPECT_EQ(Entry(doc, "UnitIdentity").Find("value")->string.substr(0, 2), "ab");
}

TEST(Tavixcfg, JsonEscapesQuotesBackslashesAndControlBytes) {
    Agent agent("escapes");
    const std::string text = "a\"b\\c\td\x01" "e/f\x7f";
    ASSERT_EQ(agent.Tool({"set", "CenterAddr", text}).exitCode, 0u);
    const Json doc = ShowJson(agent);
    EXPECT_EQ(Entry(doc, "CenterAddr").Find("value")->string, text);
    // One value stays on one line of the table.
    EXPECT_EQ(Get(agent, "CenterAddr"), "a\"b\\c\\x09d\\x01e/f\\x7f");
}

// The reader above must refuse what JSON refuses, or the tests that use it
// would prove nothing.
TEST(JsonReader, RefusesWhatJsonRefuses) {
    const char* bad[] = {
        "", "{", "{\"a\":1,}", "{\"a\":1} x", "{'a':1}", "{\"a\":01}", "{\"a\":\"\x01\"}",
        "{\"a\":\"\xc3(\"}", "{\"a\":\"\xc0\xaf\"}", "{\"a\":\"\xed\xa0\x80\"}", "{\"a\":\"\\ud800\"}",
        "{\"a\":\"\\x41\"}", "{\"a\":tru}", "[1 2]",
    };
    for (const char* text : bad) {
        Json doc;
        EXPECT_FALSE(ParseJson(text, &doc, nullptr)) << text;
    }
    Json doc;
    std::string error;
    ASSERT_TRUE(ParseJson("{\"a\": [1, -2.5e3, true, null], \"b\": \"\\u00e9\\ud83d\\ude00\xe5\xbc\xa0\"}", &doc, &error)) << error;
    EXPECT_EQ(doc.Find("a")->array.size(), 4u);
    EXPECT_EQ(doc.Find("b")->string, "\xc3\xa9\xf0\x9f\x98\x80\xe5\xbc\xa0");
}

}  // namespace
}  // namespace tcs_tools_test
