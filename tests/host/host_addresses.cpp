// Prints what the socket layer gives for this host's own name, one address
// a line ("name <host name>", then "addr <text>"...), or "lookup failed
// <error>": what the library's discovery walks.
#include <winsock2.h>

#include <cstdio>
#include <cstring>

int main() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 0), &data) != 0) {
        std::puts("startup failed");
        return 1;
    }
    char name[155] = {};
    int rc = 0;
    if (gethostname(name, sizeof name) != 0) {
        std::printf("gethostname failed %d\n", WSAGetLastError());
        rc = 1;
    } else if (const hostent* host = gethostbyname(name)) {
        std::printf("name %s\n", name);
        for (char** entry = host->h_addr_list; *entry; ++entry) {
            in_addr address;
            std::memcpy(&address, *entry, sizeof address);
            std::printf("addr %s\n", inet_ntoa(address));
        }
    } else {
        std::printf("name %s\nlookup failed %d\n", name, WSAGetLastError());
    }
    WSACleanup();
    return rc;
}
