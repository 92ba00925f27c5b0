// The frame's start-up and shut-down on a scripted socket layer.
#include <gtest/gtest.h>

#include "test_support.h"

#include <windows.h>

#include <string>

using namespace tcs_test;

namespace {

class StartUp : public ::testing::Test {
protected:
    void SetUp() override {
        log_ = JoinPath(ThisProgramDirectory(), "start_up.log");
        DeleteFileA(log_.c_str());
        SetEnvironmentVariableA("TCS_FRAME_LOG", log_.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA("TCS_FRAME_LOG", nullptr);
        SetEnvironmentVariableA("TCS_SOCKETS", nullptr);
    }
    HMODULE Load(const char* sockets) {
        SetEnvironmentVariableA("TCS_SOCKETS", sockets);
        return LoadLibraryA(JoinPath(ThisProgramDirectory(), "tcs_frame_scripted.dll").c_str());
    }
    std::string Log() const { return ReadFileText(log_); }

    std::string log_;
};

TEST_F(StartUp, SocketsThatCannotStartShowMessage101OnceAndFailTheLoad) {
    EXPECT_EQ(Load("fail"), nullptr);
    const std::string log = Log();
    EXPECT_EQ(log.rfind("socket-init null fail\nmessage-box 101 0 -1 Windows Sockets", 0), 0u) << log;
    size_t boxes = 0;
    for (size_t at = log.find("message-box"); at != std::string::npos; at = log.find("message-box", at + 1)) ++boxes;
    EXPECT_EQ(boxes, 1u) << log;
    // Nothing was started, so nothing is cleaned up.
    EXPECT_EQ(log.find("socket-term 1"), std::string::npos) << log;
}

TEST_F(StartUp, OneSocketStartUpAtLoadIsUndoneOnceAtUnload) {
    HMODULE module = Load("ok");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Log(), "socket-init null ok\n");
    FreeLibrary(module);
    EXPECT_EQ(Log(), "socket-init null ok\nsocket-term 1\n");
}

}  // namespace
