// A strict reader of JSON text (RFC 8259), enough to check tavixcfg's
// output: it refuses what a real parser refuses, including bad UTF-8, raw
// control characters and trailing text.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tcs_tools_test {

struct Json {
    enum class Type { Null, Bool, Number, String, Array, Object } type = Type::Null;
    bool boolean = false;
    double number = 0;
    std::string string;  // UTF-8, escapes resolved
    std::vector<Json> array;
    std::vector<std::pair<std::string, Json>> object;  // in the order written

    const Json* Find(const std::string& key) const;
};

// Parses the whole text; on failure returns false and says where in *error.
bool ParseJson(const std::string& text, Json* out, std::string* error);

}  // namespace tcs_tools_test
