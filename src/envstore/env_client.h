// The one client of the environment library: every access to the shared
// store is one open, a few reads or writes of one key, and one close.
#pragma once

namespace tavixconfig {

// 0 when the value stands in buffer; -1 when the store cannot be opened or
// four reads failed. *length holds the buffer's capacity.
int ReadEnvValue(const char* name, void* buffer, unsigned int* length);

// -1 when the store cannot be opened; otherwise the result of the last of at
// most three write attempts (a result below -1 asks for another attempt).
int WriteEnvValue(const char* name, const void* data, unsigned int length);

}  // namespace tavixconfig
