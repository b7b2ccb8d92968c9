#include "platform/core/BuildConfiguration.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace torvane::platform;

TEST(BuildConfiguration, AnEnvironmentVariableOverridesTheBuiltInValue) {
    ::unsetenv("TORVANE_INSTALL_HOST");
    std::string builtIn = build::installHost();
    EXPECT_FALSE(builtIn.empty());

    ::setenv("TORVANE_INSTALL_HOST", "127.0.0.1:8080", 1);
    EXPECT_EQ(build::installHost(), "127.0.0.1:8080");
    // An empty variable is the same as none: a host of "" would name nothing.
    ::setenv("TORVANE_INSTALL_HOST", "", 1);
    EXPECT_EQ(build::installHost(), builtIn);
    ::unsetenv("TORVANE_INSTALL_HOST");

    ::setenv("TORVANE_VERSION", "2.4", 1);
    EXPECT_EQ(build::appVersion(), "2.4");
    ::unsetenv("TORVANE_VERSION");
}
