#include <gtest/gtest.h>

#include "platform/Platform.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    InstallPorts(RealPorts()); // tests put their own in place one at a time
    return RUN_ALL_TESTS();
}
