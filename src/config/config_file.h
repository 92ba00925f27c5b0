// NetbarCfg.ini: one profile operation per call, serialised across the
// processes and threads that share the file.
#pragma once

#include <windows.h>

namespace tavixconfig {

struct ConfigKey {
    const char* section;
    const char* key;
};

// Characters copied into buffer (cut to size - 1, always terminated); 0 when
// the file, section or key is missing or empty, or the path is unusable.
int ReadConfigText(const ConfigKey& key, char* buffer, unsigned size);

// The key's value read as an integer; fallback when it is missing.
int ReadConfigInt(const ConfigKey& key, int fallback);

// The profile writer's result: non-zero when stored, 0 when not. A null
// text removes the key.
BOOL WriteConfigText(const ConfigKey& key, const char* text);

}  // namespace tavixconfig
