#pragma once

namespace tavixconfig {

// Copies the first IPv4 address text of this host that no exclusion rule
// matches into buffer, when it fits size. -1 without a buffer; -2 when the
// socket layer, the host name or its lookup fails; 0 otherwise, whether or
// not an address was copied.
int FindLocalAddress(char* buffer, unsigned int size);

// True when the address text may not serve as the host's own address.
bool IsExcludedAddress(const char* text);

}  // namespace tavixconfig
