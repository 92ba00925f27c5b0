// An agent folder of its own for each test: tavixcfg.exe, the library and
// environment.dll copied in, the environment store in a folder inside it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tcs_tools_test {

struct ToolRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;  // standard output, bytes as written
    std::string err;  // standard error
};

class Agent {
public:
    // A fresh folder <this test's folder>\agents\<name>.
    explicit Agent(const std::string& name);

    const std::string& dir() const { return dir_; }
    const std::string& storeDir() const { return storeDir_; }
    std::string ConfigFile() const { return dir_ + "\\NetbarCfg.ini"; }

    // The store folder the child processes are told to use.
    void SetStoreDir(const std::string& dir) { storeDir_ = dir; }

    ToolRun Tool(const std::vector<std::string>& args) const;
    // tcs_probe.exe in this folder (see tests/support/probe.cpp): its output.
    ToolRun Probe(const std::vector<std::string>& commands) const;

private:
    ToolRun Run(const std::string& program, const std::vector<std::string>& args) const;

    std::string dir_;
    std::string storeDir_;
};

}  // namespace tcs_tools_test
