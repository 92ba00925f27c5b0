// Each run starts from an empty store: the folder the store lives in for this
// program is emptied before the first test opens it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

class FreshStore : public ::testing::Environment {
public:
    void SetUp() override {
        char dir[MAX_PATH] = {};
        const DWORD n = GetEnvironmentVariableA("TAVIX_ENVIRONMENT_DIR", dir, sizeof dir);
        if (n == 0 || n >= sizeof dir) return;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((std::string(dir) + "\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((std::string(dir) + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
};

::testing::Environment* const kFreshStore = ::testing::AddGlobalTestEnvironment(new FreshStore);

}  // namespace
