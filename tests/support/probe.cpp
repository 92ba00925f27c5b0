// tcs_probe: a small host program for the tests. It loads TavixConfigSet.dll
// from its own folder (so its folder is the library's host directory) and
// makes one call per argument, finding each export by its noun in the DLL's
// export directory and calling it with the arguments the decoration names:
//
//   GetCenterPort                  no arguments
//   SetCenterPort|514              one 32-bit number
//   GetSetupPath|260[|fill]        a buffer of that size, pre-filled with the
//                                  hex byte fill (default cc), guarded after
//   SetCenterAddr|text[|length]    text (\xNN escapes, <null> for a null
//                                  pointer) and its length (default strlen)
//   reload                         unload and load the library again
//   sleep|ms
//
// Each call prints "= <result>\t<text>\t<buffer hex>". A write past a buffer's
// size ends the probe with exit code 3.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

HMODULE g_library = nullptr;

std::string OwnFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\'));
}

bool Load() {
    g_library = LoadLibraryA((OwnFolder() + "\\TavixConfigSet.dll").c_str());
    return g_library != nullptr;
}

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i)
        if (i == s.size() || s[i] == sep) { parts.push_back(s.substr(start, i - start)); start = i + 1; }
    return parts;
}

std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() + 0 && s[i + 1] == 'x') {
            out += static_cast<char>(std::strtoul(s.substr(i + 2, 2).c_str(), nullptr, 16));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string Escape(const char* data, size_t n) {
    std::string out;
    char hex[8];
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c >= 0x20 && c < 0x7f && c != '\\') out += static_cast<char>(c);
        else { std::snprintf(hex, sizeof hex, "\\x%02x", c); out += hex; }
    }
    return out;
}

std::string Hex(const unsigned char* data, size_t n) {
    std::string out;
    char hex[4];
    for (size_t i = 0; i < n; ++i) { std::snprintf(hex, sizeof hex, "%02x", data[i]); out += hex; }
    return out;
}

// The export of that noun: its decorated (or plain) name.
std::string FindExport(const std::string& noun) {
    auto* base = reinterpret_cast<const unsigned char*>(g_library);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto* dir = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    auto* names = reinterpret_cast<const DWORD*>(base + dir->AddressOfNames);
    const std::string decorated = "?" + noun + "@tavixconfig@@";
    for (DWORD i = 0; i < dir->NumberOfNames; ++i) {
        const char* name = reinterpret_cast<const char*>(base + names[i]);
        if (noun == name || std::strncmp(name, decorated.c_str(), decorated.size()) == 0) return name;
    }
    return "";
}

using Call0 = long(WINAPI*)();
using Call1 = long(WINAPI*)(long);
using Call2 = long(WINAPI*)(void*, unsigned int);

int Run(const std::string& command) {
    const std::vector<std::string> parts = Split(command, '|');
    const std::string& noun = parts[0];
    if (noun == "reload") {
        FreeLibrary(g_library);
        std::printf("= %d\n", Load() ? 0 : -1);
        return 0;
    }
    if (noun == "sleep") {
        Sleep(parts.size() > 1 ? std::strtoul(parts[1].c_str(), nullptr, 10) : 0);
        std::printf("= 0\n");
        return 0;
    }
    const std::string name = FindExport(noun);
    FARPROC proc = name.empty() ? nullptr : GetProcAddress(g_library, name.c_str());
    if (!proc) {
        std::printf("! no export %s\n", noun.c_str());
        return 2;
    }
    const bool plain = name[0] != '?';
    const std::string signature = plain ? "" : name.substr(name.find("@@YG") + 4);
    const char returns = plain ? 'H' : signature[0];
    const std::string params = plain ? "" : signature.substr(1);
    const bool isText = plain ? noun != "SetLogServerPort_API" : (params == "PBDI@Z" || (params == "PADI@Z" && noun.rfind("Set", 0) == 0));
    const bool isBuffer = !plain && params == "PADI@Z" && !isText;
    const bool isNumber = plain ? noun == "SetLogServerPort_API" : (params == "H@Z" || params == "J@Z");

    long result = 0;
    std::string text, hex;
    if (isBuffer) {
        const unsigned size = parts.size() > 1 ? std::strtoul(parts[1].c_str(), nullptr, 10) : 260;
        const unsigned fill = parts.size() > 2 ? std::strtoul(parts[2].c_str(), nullptr, 16) : 0xcc;
        const unsigned guard = 64;
        std::vector<unsigned char> buffer(size + guard, static_cast<unsigned char>(fill));
        std::memset(buffer.data() + size, 0xee, guard);
        result = reinterpret_cast<Call2>(reinterpret_cast<void*>(proc))(buffer.data(), size);
        for (unsigned i = size; i < size + guard; ++i)
            if (buffer[i] != 0xee) { std::printf("! OVERRUN %s at %u\n", noun.c_str(), i - size); std::fflush(stdout); return 3; }
        const size_t n = strnlen(reinterpret_cast<const char*>(buffer.data()), size);
        text = Escape(reinterpret_cast<const char*>(buffer.data()), n);
        hex = Hex(buffer.data(), size);
    } else if (isText) {
        const bool null = parts.size() < 2 || parts[1] == "<null>";
        const std::string value = null ? "" : Unescape(parts[1]);
        const unsigned length = parts.size() > 2 ? std::strtoul(parts[2].c_str(), nullptr, 10) : static_cast<unsigned>(value.size());
        result = reinterpret_cast<Call2>(reinterpret_cast<void*>(proc))(null ? nullptr : const_cast<char*>(value.c_str()), length);
    } else if (isNumber) {
        const long long value = parts.size() > 1 ? std::strtoll(parts[1].c_str(), nullptr, 10) : 0;
        result = reinterpret_cast<Call1>(reinterpret_cast<void*>(proc))(static_cast<long>(value));
        if (returns == 'X') result = 0;
    } else {
        result = reinterpret_cast<Call0>(reinterpret_cast<void*>(proc))();
    }
    if (returns == 'K') std::printf("= %lu\t%s\t%s\n", static_cast<unsigned long>(result), text.c_str(), hex.c_str());
    else std::printf("= %ld\t%s\t%s\n", result, text.c_str(), hex.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (!Load()) {
        std::printf("! cannot load TavixConfigSet.dll (%lu)\n", GetLastError());
        return 1;
    }
    for (int i = 1; i < argc; ++i) {
        const int rc = Run(argv[i]);
        std::fflush(stdout);
        if (rc != 0) return rc;
    }
    return 0;
}
