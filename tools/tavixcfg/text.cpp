#include "text.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace tavixcfg {

bool ParseInt32(const std::string& text, long* value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    long long n = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        n = n * 10 + (text[i] - '0');
        if (n > 2147483648LL) return false;  // stops before it could overflow
    }
    if (negative) n = -n;
    if (n < -2147483647LL - 1 || n > 2147483647LL) return false;
    *value = static_cast<long>(n);
    return true;
}

std::string AnsiToUtf8(const std::string& ansi) {
    if (ansi.empty()) return {};
    const int wide = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    if (wide <= 0) return {};
    std::vector<wchar_t> w(wide);
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), w.data(), wide);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &utf8[0], bytes, nullptr, nullptr);
    return utf8;
}

std::string JsonString(const std::string& utf8) {
    std::string out = "\"";
    char hex[8];
    for (const char ch : utf8) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7f) {
                std::snprintf(hex, sizeof hex, "\\u%04x", c);
                out += hex;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

std::string Printable(const std::string& ansi) {
    std::string out;
    char hex[8];
    for (const char ch : ansi) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7f) {
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += ch;
        }
    }
    return out;
}

namespace {

void Write(DWORD which, const std::string& ansi, bool convert) {
    HANDLE h = GetStdHandle(which);
    if (h == nullptr || h == INVALID_HANDLE_VALUE || ansi.empty()) return;
    DWORD mode;
    if (convert && GetConsoleMode(h, &mode)) {
        const int wide = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
        std::vector<wchar_t> w(wide > 0 ? wide : 1);
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), w.data(), wide);
        DWORD done;
        WriteConsoleW(h, w.data(), static_cast<DWORD>(wide), &done, nullptr);
        return;
    }
    const char* p = ansi.data();
    DWORD left = static_cast<DWORD>(ansi.size());
    while (left > 0) {
        DWORD done = 0;
        if (!WriteFile(h, p, left, &done, nullptr) || done == 0) return;
        p += done;
        left -= done;
    }
}

}  // namespace

void WriteOut(const std::string& ansi) { Write(STD_OUTPUT_HANDLE, ansi, true); }
void WriteErr(const std::string& ansi) { Write(STD_ERROR_HANDLE, ansi, true); }
void WriteRaw(const std::string& bytes) { Write(STD_OUTPUT_HANDLE, bytes, false); }

}  // namespace tavixcfg
