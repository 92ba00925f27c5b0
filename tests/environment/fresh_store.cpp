// Every run of a test program starts from an empty store of its own: its
// folder is emptied before the first test opens it.
#include <gtest/gtest.h>

#include "support.h"

namespace {

class FreshStore : public ::testing::Environment {
 public:
  void SetUp() override {
    const std::string dir = envtest::OwnStoreDir();
    for (const std::string& f : envtest::FilesIn(dir)) DeleteFileA((dir + "\\" + f).c_str());
  }
};

::testing::Environment* const fresh_store = ::testing::AddGlobalTestEnvironment(new FreshStore);

}  // namespace
