// The download host and port, as the sibling library MeskApi works them out.
#include "TavixConfigSet.h"

#include "../config/host_directory.h"
#include "../frame/scoped.h"

#include <windows.h>

namespace tavixconfig {
namespace {

constexpr unsigned kResolverPathCapacity = 256;
constexpr char kResolverFileName[] = "MeskApi.dll";
constexpr char kResolverEntryPoint[] = "GetDornIpAndPortFromSureName";
constexpr char kLoopbackAddress[] = "127.0.0.1";

using ResolverEntryPoint = int(WINAPI*)(char* buffer, unsigned int size, const char* address);

}  // namespace
}  // namespace tavixconfig

using namespace tavixconfig;

int WINAPI tavixconfig::GetProberDownLoadHostPortFromSureName(char* buffer, unsigned int size) {
    char path[kResolverPathCapacity];
    // A cut path could load some other file.
    if (BuildHostFilePath(path, sizeof path, kResolverFileName) != 0)
        return -1;
    UniqueModule resolver(LoadLibraryA(path));
    if (!resolver)
        return -1;
    const auto entry = reinterpret_cast<ResolverEntryPoint>(
        reinterpret_cast<void*>(GetProcAddress(resolver.get(), kResolverEntryPoint)));
    if (entry == nullptr)
        return -1;
    return entry(buffer, size, kLoopbackAddress);
}
