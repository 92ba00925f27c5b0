// The host directory: the folder of the executable of the calling process,
// and the paths that the library derives from it.
#pragma once

namespace tavixconfig {

// Size of the library's own path buffers (the platform's path limit).
constexpr unsigned kPathBufferSize = 260;

// Writes the host directory into buffer, zero-filled up to its last byte,
// and sends it to the debugger output. A buffer too small for the whole
// directory (a size of 0 included) is zero-filled instead: a cut directory
// would name another folder.
void CopyHostDirectory(char* buffer, unsigned size);

// "<host directory>\<fileName>" into path. 0 when the whole path fits size;
// -1, with path all zeros, when it does not: a cut path names another file.
int BuildHostFilePath(char* path, unsigned size, const char* fileName);

// The configuration file's full path, "<host directory>\NetbarCfg.ini".
// 0 when it fits the buffer; -1, with the buffer all zeros, when the host
// directory is too long: a cut path would name another file.
int BuildConfigFilePath(char (&path)[kPathBufferSize]);

// Makes every missing directory along path, outermost first, and the path
// itself. A path with a prefix that does not fit a path buffer makes nothing.
void CreatePathDirectories(const char* path);

}  // namespace tavixconfig
