// The host directory is the folder of the calling program: these tests run
// copies of the probe (and of config_child.exe where the folder's path is too
// long for the probe) from folders of the Wine drive chosen for each case.
#include <gtest/gtest.h>

#include "test_support.h"

#include <windows.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace tcs_test;

namespace {

const std::vector<std::string> kProbeFiles = {"tcs_probe.exe", "TavixConfigSet.dll", "environment.dll"};
const std::vector<std::string> kChildFiles = {"config_child.exe", "TavixConfigSet.dll", "environment.dll"};
const char kBase[] = "C:\\tcs\\config_paths";

// The probe prints backslashes and other bytes outside printable ASCII as \xNN.
std::string ProbeText(const std::string& s) {
    std::string out;
    for (char c : s) out += c == '\\' ? std::string("\\x5c") : std::string(1, c);
    return out;
}

std::string Zeros(size_t bytes) { return std::string(bytes * 2, '0'); }

// Lines "= result[\ttext]" of config_child's call mode.
struct CallLine {
    long result = 0;
    std::string text;
};

std::vector<CallLine> ParseCalls(const std::string& output) {
    std::vector<CallLine> lines;
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("= ", 0) != 0) continue;
        CallLine c;
        const size_t tab = line.find('\t');
        c.result = std::strtol(line.substr(2, tab - 2).c_str(), nullptr, 10);
        if (tab != std::string::npos) c.text = line.substr(tab + 1);
        lines.push_back(c);
    }
    return lines;
}

// Folders past the path limit: the narrow file functions refuse such names
// under Wine, so the fixtures of the deep folders go through the wide ones.
std::wstring Wide(const std::string& s) {
    std::wstring w(s.size(), L'\0');
    for (size_t i = 0; i < s.size(); ++i) w[i] = static_cast<unsigned char>(s[i]);
    return w;
}

std::string Narrow(const std::wstring& w) {
    std::string s(w.size(), '\0');
    for (size_t i = 0; i < w.size(); ++i) s[i] = static_cast<char>(w[i]);
    return s;
}

namespace longpath {

void MakeDirectories(const std::string& path) {
    for (size_t i = path.find('\\', 3); i != std::string::npos; i = path.find('\\', i + 1))
        CreateDirectoryW(Wide(path.substr(0, i)).c_str(), nullptr);
    CreateDirectoryW(Wide(path).c_str(), nullptr);
}

void CopyBesideMe(const std::vector<std::string>& names, const std::string& dir) {
    MakeDirectories(dir);
    for (const std::string& name : names)
        CopyFileW(Wide(JoinPath(ThisProgramDirectory(), name)).c_str(), Wide(JoinPath(dir, name)).c_str(), FALSE);
}

bool FileExists(const std::string& path) {
    const DWORD a = GetFileAttributesW(Wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    const DWORD a = GetFileAttributesW(Wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

struct File {
    HANDLE h;
    ~File() { if (h != INVALID_HANDLE_VALUE) CloseHandle(h); }
};

std::string ReadFileText(const std::string& path) {
    File f{CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)};
    std::string text;
    char chunk[4096];
    DWORD n = 0;
    while (f.h != INVALID_HANDLE_VALUE && ReadFile(f.h, chunk, sizeof chunk, &n, nullptr) && n > 0) text.append(chunk, n);
    return text;
}

void WriteFileText(const std::string& path, const std::string& text) {
    File f{CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)};
    DWORD n = 0;
    if (f.h != INVALID_HANDLE_VALUE) WriteFile(f.h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
}

// Every entry below root, folders ending in a backslash.
void ListTree(const std::string& root, std::set<std::string>* out) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Wide(JoinPath(root, "*")).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = Narrow(data.cFileName);
        if (name == "." || name == "..") continue;
        const std::string path = JoinPath(root, name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out->insert(path + "\\");
            ListTree(path, out);
        } else {
            out->insert(path);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

void RemoveTree(const std::string& root) {
    std::set<std::string> entries;
    ListTree(root, &entries);
    // Longest first: every entry goes before its folder.
    std::vector<std::string> order(entries.begin(), entries.end());
    std::sort(order.begin(), order.end(), [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& e : order) {
        if (e.back() == '\\') RemoveDirectoryW(Wide(e.substr(0, e.size() - 1)).c_str());
        else DeleteFileW(Wide(e).c_str());
    }
    RemoveDirectoryW(Wide(root).c_str());
}

struct Run {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};

// Wine's CreateProcess cuts an image path at 260 characters, so a program in
// such a folder is started the way a user starts one: by Wine's own loader
// from outside, which needs no such path of ours. No pipe reaches through
// that start, so the program writes its output to a report file.
Run RunChild(const std::string& dir, const std::vector<std::string>& calls) {
    Run run;
    char loader[1024] = {};
    if (!GetEnvironmentVariableA("WINELOADER", loader, sizeof loader) || loader[0] != '/') {
        run.output = "no WINELOADER: not running under Wine";
        return run;
    }
    std::string image = std::string("Z:") + loader;
    for (char& c : image) if (c == '/') c = '\\';
    // A name of its own per start: no report of an earlier start can be taken for it.
    static int starts = 0;
    const std::string report = std::string(kBase) + "\\report-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(++starts) + ".txt";
    DeleteFileA(report.c_str());
    std::string line = std::string(loader) + " " + JoinPath(dir, "config_child.exe") + " --report " + report + " call";
    for (const std::string& c : calls) line += " " + c;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(image.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        run.output = "cannot start " + image + ": error " + std::to_string(GetLastError());
        return run;
    }
    if (pi.hProcess) CloseHandle(pi.hProcess);
    if (pi.hThread) CloseHandle(pi.hThread);
    for (int waited = 0; waited < 60000 && !tcs_test::FileExists(report); waited += 20) Sleep(20);
    run.output = tcs_test::ReadFileText(report);
    DeleteFileA(report.c_str());
    const size_t exit = run.output.rfind("exit ");
    if (exit != std::string::npos) run.exitCode = std::strtoul(run.output.c_str() + exit + 5, nullptr, 10);
    return run;
}

}  // namespace longpath

TEST(HostDirectory, IsTheFolderOfTheProgramAndTheRootOfADriveIsTheDriveAlone) {
    struct Case {
        const char* folder;  // where the probe runs
        const char* setup;
        const char* upload;
        const char* config;
    } cases[] = {
        {"C:\\Games\\Agent", "C:\\Games\\Agent", "C:\\Games\\Agent\\Files", "C:\\Games\\Agent\\NetbarCfg.ini"},
        {"C:\\", "C:", "C:\\Files", "C:\\NetbarCfg.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        RemoveTree(c.upload);
        DeleteFileA(c.config);
        CopyBesideMe(kProbeFiles, c.folder);

        const ProbeRun run = RunProbe(c.folder, {"GetSetupPath|260|41", "GetUpLoadFilePath|260|41", "SetLogServerPort|514"});
        ASSERT_EQ(run.exitCode, 0u) << run.output;
        ASSERT_EQ(run.lines.size(), 3u) << run.output;
        const std::string setup = c.setup, upload = c.upload;
        EXPECT_EQ(run.lines[0].result, 0);
        EXPECT_EQ(run.lines[0].text, ProbeText(setup));
        // Everything after the directory, to the buffer's last byte, is zero.
        EXPECT_EQ(run.lines[0].bufferHex.substr(setup.size() * 2), Zeros(260 - setup.size()));
        EXPECT_EQ(run.lines[1].result, 0);
        EXPECT_EQ(run.lines[1].text, ProbeText(upload));
        EXPECT_EQ(run.lines[1].bufferHex.substr(upload.size() * 2), Zeros(260 - upload.size()));
        EXPECT_TRUE(DirectoryExists(upload)) << "the upload directory is made when missing";
        EXPECT_NE(run.lines[2].result, 0);
        EXPECT_NE(ReadFileText(c.config).find("LogServerPort=514"), std::string::npos) << ReadFileText(c.config);

        RemoveTree(upload);
        DeleteFileA(c.config);
        for (const std::string& f : kProbeFiles) DeleteFileA(JoinPath(c.folder, f).c_str());
    }
    RemoveDirectoryA("C:\\Games\\Agent");
    RemoveDirectoryA("C:\\Games");
}

TEST(HostDirectory, EveryCallSendsTheHostDirectoryOnceToTheDebugger) {
    const std::string dir = JoinPath(kBase, "trace");
    RemoveTree(dir);
    CopyBesideMe(kProbeFiles, dir);
    const std::vector<std::string> calls = {
        "GetSetupPath|260", "GetUpLoadFilePath|260", "GetUpLoadFilePath|260",  // the second finds it present
        "GetLogServerAddr|64", "SetLogServerAddr|10.0.0.1", "GetLogServerPort", "SetLogServerPort|514",
        "GetProberDownLoadHost|64", "SetProberDownLoadHost|dl.example", "GetProberDownLoadPort",
        "SetProberDownLoadPort|8080", "GetLastActiveTime", "SetLastActiveTime|5", "GetLastFaiLedTime",
        "SetLastFaiLedTime|6", "SetLogServerAddr_API|10.0.0.2", "SetLogServerPort_API|515",
    };
    const ProbeRun run = RunProbe(dir, calls, true);
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    ASSERT_EQ(run.lines.size(), calls.size()) << run.output;
    EXPECT_EQ(run.debugStrings, std::vector<std::string>(calls.size(), dir));
    RemoveTree(dir);
}

TEST(HostDirectory, StoredSetupAndUploadPathsChangeNothingDerived) {
    const std::string dir = JoinPath(kBase, "stored");
    RemoveTree(dir);
    CopyBesideMe(kProbeFiles, dir);
    const ProbeRun run = RunProbe(dir, {"SetSetupPath|D:\\elsewhere", "SetUpLoadFilePath|D:\\elsewhere\\up",
                                        "GetSetupPath|260", "GetUpLoadFilePath|260"});
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    ASSERT_EQ(run.lines.size(), 4u) << run.output;
    EXPECT_EQ(run.lines[2].text, ProbeText(dir));
    EXPECT_EQ(run.lines[3].text, ProbeText(dir + "\\Files"));
    RemoveTree(dir);
}

TEST(UploadDirectory, AnEntryNamedFilesCountsAsPresent) {
    struct Case {
        const char* name;
        bool directory;
    } cases[] = {{"directory", true}, {"regular file", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = JoinPath(kBase, "present");
        const std::string files = JoinPath(dir, "Files");
        RemoveTree(dir);
        CopyBesideMe(kProbeFiles, dir);
        if (c.directory) {
            MakeDirectories(files);
            WriteFileText(JoinPath(files, "kept.txt"), "kept");
        } else {
            WriteFileText(files, "not a folder");
        }
        const ProbeRun run = RunProbe(dir, {"GetUpLoadFilePath|260"});
        ASSERT_EQ(run.exitCode, 0u) << run.output;
        ASSERT_EQ(run.lines.size(), 1u) << run.output;
        EXPECT_EQ(run.lines[0].result, 0);
        EXPECT_EQ(run.lines[0].text, ProbeText(files));
        if (c.directory) {
            EXPECT_EQ(ReadFileText(JoinPath(files, "kept.txt")), "kept");
        } else {
            EXPECT_TRUE(FileExists(files));
            EXPECT_EQ(ReadFileText(files), "not a folder");
        }
        RemoveTree(dir);
    }
}

// A buffer too small for the whole text gets zeros, never a cut path, and
// nothing is written past its size (the probe exits 3 if it is).
TEST(HostDirectory, ABufferTooSmallForTheWholeTextIsZeroFilled) {
    const std::string dir = JoinPath(kBase, "small");
    RemoveTree(dir);
    CopyBesideMe(kProbeFiles, dir);
    const std::string setup = dir, upload = dir + "\\Files";
    struct Case {
        std::string call;
        unsigned size;
        std::string text;  // empty: all zeros
    } cases[] = {
        {"GetSetupPath", 0, ""},
        {"GetSetupPath", 1, ""},
        {"GetSetupPath", 5, ""},
        {"GetSetupPath", static_cast<unsigned>(setup.size()), ""},  // no room for the terminator
        {"GetSetupPath", static_cast<unsigned>(setup.size() + 1), setup},
        {"GetUpLoadFilePath", 0, ""},
        {"GetUpLoadFilePath", static_cast<unsigned>(setup.size() + 1), ""},  // the directory, not "\Files"
        {"GetUpLoadFilePath", static_cast<unsigned>(upload.size()), ""},
        {"GetUpLoadFilePath", static_cast<unsigned>(upload.size() + 1), upload},
    };
    for (const Case& c : cases) {
        const std::string command = c.call + "|" + std::to_string(c.size) + "|41";
        SCOPED_TRACE(command);
        const ProbeRun run = RunProbe(dir, {command});
        ASSERT_EQ(run.exitCode, 0u) << run.output;
        ASSERT_EQ(run.lines.size(), 1u) << run.output;
        EXPECT_EQ(run.lines[0].result, 0);
        EXPECT_EQ(run.lines[0].text, ProbeText(c.text));
        EXPECT_EQ(run.lines[0].bufferHex.substr(c.text.size() * 2), Zeros(c.size - c.text.size()));
    }
    RemoveTree(dir);
}

// "<base>\deep<length>\ddd...\ddd", a folder path of exactly that length.
std::string DeepFolder(size_t length) {
    std::string path = std::string(kBase) + "\\deep" + std::to_string(length);
    while (path.size() < length) {
        const size_t room = length - path.size() - 1;  // after the backslash
        path += "\\" + std::string(room > 60 && room - 60 < 2 ? room - 2 : std::min<size_t>(room, 60), 'd');
    }
    return path;
}

// A host directory too long for "<dir>\NetbarCfg.ini" in 260 bytes: no call
// may use the path cut to fit, which names some other file. A file planted
// at each cut path would be read or rewritten if one did.
TEST(HostDirectory, TooLongForTheConfigFilePathReadsDefaultsAndWritesFail) {
    const char* const plant = "[Network]\r\nLogServerPort=999\r\nLogServerAddr=planted\r\n"
                              "[HANDSHAKE]\r\nLastActiveTime=77\r\n";
    for (size_t length : {246u, 250u, 257u, 262u, 300u}) {
        const std::string dir = DeepFolder(length);
        ASSERT_EQ(dir.size(), length);
        SCOPED_TRACE("host directory of " + std::to_string(length) + " characters");
        const std::string root = std::string(kBase) + "\\deep" + std::to_string(length);
        longpath::RemoveTree(root);
        longpath::CopyBesideMe(kChildFiles, dir);
        ASSERT_TRUE(longpath::FileExists(JoinPath(dir, "config_child.exe"))) << "the drive takes long paths";

        std::set<std::string> planted;
        const std::string full = dir + "\\NetbarCfg.ini";
        for (size_t cut : {259u, 260u}) {
            const std::string p = full.substr(0, cut);
            if (p.back() != '\\' && !longpath::DirectoryExists(p)) {
                longpath::WriteFileText(p, plant);
                planted.insert(p);
            }
        }
        std::set<std::string> before;
        longpath::ListTree(root, &before);

        const std::vector<std::string> calls = {
            "GetSetupPath|1000",   "GetLogServerPort",        "GetLogServerAddr|64",     "GetLastActiveTime",
            "GetLastFaiLedTime",   "GetProberDownLoadPort",   "GetProberDownLoadHost|64", "SetLogServerPort|514",
            "SetLogServerAddr|x",  "SetProberDownLoadPort|1", "SetProberDownLoadHost|x", "SetLastActiveTime|5",
            "SetLastFaiLedTime|6",
        };
        const long expected[] = {0, 10088, -1, 0, 0, -1, -1, 0, 0, 0, 0, -1, -1};
        const longpath::Run run = longpath::RunChild(dir, calls);
        ASSERT_EQ(run.exitCode, 0u) << run.output;
        const std::vector<CallLine> lines = ParseCalls(run.output);
        ASSERT_EQ(lines.size(), calls.size()) << run.output;
        EXPECT_EQ(lines[0].text, dir) << "the library sees the whole folder";
        for (size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(lines[i].result, expected[i]) << calls[i];

        std::set<std::string> after;
        longpath::ListTree(root, &after);
        EXPECT_EQ(after, before) << "a file was made or removed";
        for (const std::string& p : planted) EXPECT_EQ(longpath::ReadFileText(p), plant) << p;
        longpath::RemoveTree(root);
    }
}

TEST(HostDirectory, TheLongestFolderThatFitsKeepsItsConfigFile) {
    const std::string dir = DeepFolder(245);
    const std::string root = std::string(kBase) + "\\deep245";
    longpath::RemoveTree(root);
    longpath::CopyBesideMe(kChildFiles, dir);
    const longpath::Run run = longpath::RunChild(dir, {"SetLastActiveTime|-5", "GetLastActiveTime"});
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    const std::vector<CallLine> lines = ParseCalls(run.output);
    ASSERT_EQ(lines.size(), 2u) << run.output;
    EXPECT_EQ(lines[0].result, 0);
    EXPECT_EQ(lines[1].result, -5);
    EXPECT_EQ(longpath::ReadFileText(dir + "\\NetbarCfg.ini"), "[HANDSHAKE]\r\nLastActiveTime=-5\r\n");
    longpath::RemoveTree(root);
}

// "<dir>\Files" beyond the path limit: the directory is made where it
// belongs or not at all, never under a cut name; the path is still reported.
TEST(UploadDirectory, FromAFolderWhoseFilesPathIsTooLongNothingWrongIsMade) {
    for (size_t length : {256u, 259u, 260u, 280u}) {
        const std::string dir = DeepFolder(length);
        SCOPED_TRACE("host directory of " + std::to_string(length) + " characters");
        const std::string root = std::string(kBase) + "\\deep" + std::to_string(length);
        longpath::RemoveTree(root);
        longpath::CopyBesideMe(kChildFiles, dir);
        std::set<std::string> before;
        longpath::ListTree(root, &before);

        const longpath::Run run = longpath::RunChild(dir, {"GetUpLoadFilePath|1000", "GetUpLoadFilePath|260"});
        ASSERT_EQ(run.exitCode, 0u) << run.output;
        const std::vector<CallLine> lines = ParseCalls(run.output);
        ASSERT_EQ(lines.size(), 2u) << run.output;
        EXPECT_EQ(lines[0].result, 0);
        EXPECT_EQ(lines[0].text, dir + "\\Files");
        EXPECT_EQ(lines[1].result, 0);
        EXPECT_EQ(lines[1].text, "") << "too long for 260 bytes";

        std::set<std::string> after;
        longpath::ListTree(root, &after);
        // Below 260 characters before "\Files" the library may make it (Wine's
        // narrow CreateDirectory takes some such paths, not all); from 260 on
        // it makes nothing. Nothing else may appear either way.
        for (const std::string& p : after)
            if (!before.count(p)) {
                EXPECT_LT(length, 260u) << p;
                EXPECT_EQ(p, dir + "\\Files\\");
            }
        longpath::RemoveTree(root);
    }
}

}  // namespace
