// Which address texts may serve as the host's own address.
#include <gtest/gtest.h>

#include "host/local_address.h"

namespace {

TEST(AddressRules, OnlyLoopbackUnspecifiedZeroNetAndBroadcastAreExcluded) {
    struct Case {
        const char* text;
        bool excluded;
    };
    const Case cases[] = {
        {"127.0.0.1", true},
        {"0.0.0.0", true},
        {"0.1.2.3", true},
        {"0.255.255.255", true},
        {"255.255.255.255", true},
        // Whole-text rules: neighbours and longer texts pass.
        {"127.0.0.2", false},
        {"127.0.0.10", false},
        {"127.12.34.56", false},
        {"255.255.255.254", false},
        {"192.168.1.5", false},
        // The prefix is "0." with its dot.
        {"10.0.0.1", false},
        {"100.64.0.1", false},
        {"1.0.0.0", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tavixconfig::IsExcludedAddress(c.text), c.excluded) << c.text;
}

}  // namespace
