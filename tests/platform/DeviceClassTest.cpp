#include "platform/core/DeviceClass.h"
#include "platform/core/UIDevice_machine.h"

#include <gtest/gtest.h>

using torvane::platform::deviceIsiPhone4;

TEST(DeviceClass, AModelWithIPhone2AnywhereIsOutsideTheClass) {
    for (const char* model : {"iPhone2,1", "iPhone21,3", "iPhone2", "xiPhone2", "Some iPhone2 clone"})
        EXPECT_FALSE(deviceIsiPhone4(std::string(model))) << model;
}

TEST(DeviceClass, EveryOtherModelIsInTheClass) {
    for (const char* model :
         {"iPhone3,1", "iPhone1,2", "iPad2,1", "x86_64", "aarch64", "iphone2,1", "IPHONE2,1", "iPhone 2", ""})
        EXPECT_TRUE(deviceIsiPhone4(std::string(model))) << model;
}

TEST(DeviceClass, NoModelIsOutsideTheClass) {
    EXPECT_FALSE(deviceIsiPhone4(std::nullopt));
}

TEST(DeviceModel, TheOverrideReplacesTheKernelsAnswer) {
    auto kernel = torvane::platform::machine();
    ASSERT_TRUE(kernel.has_value());
    EXPECT_FALSE(kernel->empty());
    torvane::platform::setMachineOverride("iPhone2,1");
    EXPECT_EQ(torvane::platform::machine(), "iPhone2,1");
    torvane::platform::setMachineOverride(std::nullopt);
    EXPECT_EQ(torvane::platform::machine(), kernel);
}
