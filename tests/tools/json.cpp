#include "json.h"

#include <cstdlib>

namespace tcs_tools_test {

const Json* Json::Find(const std::string& key) const {
    for (const auto& member : object)
        if (member.first == key) return &member.second;
    return nullptr;
}

namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : s_(text) {}

    bool Document(Json* out) {
        Space();
        if (!Value(out, 0)) return false;
        Space();
        return pos_ == s_.size() || Fail("text after the value");
    }

    std::string error;

private:
    bool Fail(const std::string& what) {
        if (error.empty()) error = what + " at byte " + std::to_string(pos_);
        return false;
    }
    void Space() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r')) ++pos_;
    }
    bool Literal(const char* word) {
        const std::string w = word;
        if (s_.compare(pos_, w.size(), w) != 0) return Fail("bad literal");
        pos_ += w.size();
        return true;
    }

    bool Value(Json* out, int depth) {
        if (depth > 64) return Fail("nesting too deep");
        if (pos_ >= s_.size()) return Fail("missing value");
        switch (s_[pos_]) {
        case '{': return Object(out, depth);
        case '[': return Array(out, depth);
        case '"': out->type = Json::Type::String; return String(&out->string);
        case 't': out->type = Json::Type::Bool; out->boolean = true; return Literal("true");
        case 'f': out->type = Json::Type::Bool; return Literal("false");
        case 'n': out->type = Json::Type::Null; return Literal("null");
        default: out->type = Json::Type::Number; return Number(&out->number);
        }
    }

    bool Object(Json* out, int depth) {
        out->type = Json::Type::Object;
        ++pos_;
        Space();
        if (pos_ < s_.size() && s_[pos_] == '}') { ++pos_; return true; }
        for (;;) {
            Space();
            std::string key;
            if (pos_ >= s_.size() || s_[pos_] != '"') return Fail("expected a member name");
            if (!String(&key)) return false;
            Space();
            if (pos_ >= s_.size() || s_[pos_] != ':') return Fail("expected ':'");
            ++pos_;
            Space();
            Json value;
            if (!Value(&value, depth + 1)) return false;
            out->object.emplace_back(key, value);
            Space();
            if (pos_ < s_.size() && s_[pos_] == ',') { ++pos_; continue; }
            if (pos_ < s_.size() && s_[pos_] == '}') { ++pos_; return true; }
            return Fail("expected ',' or '}'");
        }
    }

    bool Array(Json* out, int depth) {
        out->type = Json::Type::Array;
        ++pos_;
        Space();
        if (pos_ < s_.size() && s_[pos_] == ']') { ++pos_; return true; }
        for (;;) {
            Space();
            Json value;
            if (!Value(&value, depth + 1)) return false;
            out->array.push_back(value);
            Space();
            if (pos_ < s_.size() && s_[pos_] == ',') { ++pos_; continue; }
            if (pos_ < s_.size() && s_[pos_] == ']') { ++pos_; return true; }
            return Fail("expected ',' or ']'");
        }
    }

    bool Number(double* out) {
        const size_t start = pos_;
        auto digits = [&] {
            const size_t from = pos_;
            while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_;
            return pos_ > from;
        };
        if (pos_ < s_.size() && s_[pos_] == '-') ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '0') ++pos_;
        else if (!digits()) return Fail("bad number");
        if (pos_ < s_.size() && s_[pos_] == '.') { ++pos_; if (!digits()) return Fail("bad fraction"); }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
            if (!digits()) return Fail("bad exponent");
        }
        *out = std::strtod(s_.substr(start, pos_ - start).c_str(), nullptr);
        return true;
    }

    static void PutUtf8(unsigned long cp, std::string* out) {
        if (cp < 0x80) { *out += static_cast<char>(cp); return; }
        if (cp < 0x800) { *out += static_cast<char>(0xc0 | (cp >> 6)); }
        else if (cp < 0x10000) { *out += static_cast<char>(0xe0 | (cp >> 12)); *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f)); }
        else {
            *out += static_cast<char>(0xf0 | (cp >> 18));
            *out += static_cast<char>(0x80 | ((cp >> 12) & 0x3f));
            *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
        }
        *out += static_cast<char>(0x80 | (cp & 0x3f));
    }

    bool Hex4(unsigned long* out) {
        if (pos_ + 4 > s_.size()) return Fail("short \\u escape");
        *out = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = s_[pos_++];
            const int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (v < 0) return Fail("bad \\u escape");
            *out = *out * 16 + v;
        }
        return true;
    }

    // One UTF-8 sequence, checked: shortest form, no surrogates, at most U+10FFFF.
    bool Utf8(std::string* out) {
        const unsigned char c = static_cast<unsigned char>(s_[pos_]);
        int extra;
        unsigned long cp;
        if (c < 0x80) { *out += s_[pos_++]; return true; }
        if (c >= 0xc2 && c <= 0xdf) { extra = 1; cp = c & 0x1f; }
        else if (c >= 0xe0 && c <= 0xef) { extra = 2; cp = c & 0x0f; }
        else if (c >= 0xf0 && c <= 0xf4) { extra = 3; cp = c & 0x07; }
        else return Fail("bad UTF-8 lead byte");
        if (pos_ + extra >= s_.size()) return Fail("cut UTF-8 sequence");
        for (int i = 1; i <= extra; ++i) {
            const unsigned char t = static_cast<unsigned char>(s_[pos_ + i]);
            if ((t & 0xc0) != 0x80) return Fail("bad UTF-8 continuation byte");
            cp = (cp << 6) | (t & 0x3f);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff))
            return Fail("bad UTF-8 sequence");
        out->append(s_, pos_, extra + 1);
        pos_ += extra + 1;
        return true;
    }

    bool String(std::string* out) {
        ++pos_;  // the opening quote
        for (;;) {
            if (pos_ >= s_.size()) return Fail("unterminated string");
            const unsigned char c = static_cast<unsigned char>(s_[pos_]);
            if (c == '"') { ++pos_; return true; }
            if (c < 0x20) return Fail("raw control character in a string");
            if (c != '\\') { if (!Utf8(out)) return false; continue; }
            if (++pos_ >= s_.size()) return Fail("cut escape");
            const char e = s_[pos_++];
            switch (e) {
            case '"': *out += '"'; break;
            case '\\': *out += '\\'; break;
            case '/': *out += '/'; break;
            case 'b': *out += '\b'; break;
            case 'f': *out += '\f'; break;
            case 'n': *out += '\n'; break;
            case 'r': *out += '\r'; break;
            case 't': *out += '\t'; break;
            case 'u': {
                unsigned long cp = 0;
                if (!Hex4(&cp)) return false;
                if (cp >= 0xd800 && cp <= 0xdbff) {
                    unsigned long low = 0;
                    if (s_.compare(pos_, 2, "\\u") != 0) return Fail("lone high surrogate");
                    pos_ += 2;
                    if (!Hex4(&low) || low < 0xdc00 || low > 0xdfff) return Fail("bad low surrogate");
                    cp = 0x10000 + ((cp - 0xd800) << 10) + (low - 0xdc00);
                } else if (cp >= 0xdc00 && cp <= 0xdfff) {
                    return Fail("lone low surrogate");
                }
                PutUtf8(cp, out);
                break;
            }
            default: return Fail("bad escape");
            }
        }
    }

    const std::string& s_;
    size_t pos_ = 0;
};

}  // namespace

bool ParseJson(const std::string& text, Json* out, std::string* error) {
    Reader reader(text);
    *out = Json();
    const bool ok = reader.Document(out);
    if (!ok && error) *error = reader.error;
    return ok;
}

}  // namespace tcs_tools_test
