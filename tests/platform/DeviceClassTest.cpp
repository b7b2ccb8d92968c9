#include "platform/core/DeviceClass.h"
#include "platform/core/UIDevice_machine.h"

#include "../support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/utsname.h>

using torvane::platform::deviceIsiPhone4;
using torvane::platform::hardwareIsiPhone4;
using torvane::platform::hardwareModel;

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

TEST(DeviceModel, TheMachineIsThisSystemsHardwareModel) {
    auto model = torvane::platform::machine();
    ASSERT_TRUE(model.has_value());
    EXPECT_FALSE(model->empty());
    EXPECT_EQ(model, hardwareModel("/"));
}

TEST(DeviceClass, TheHardwareWithoutATorchLedIsOutsideTheClassWhateverItsModel) {
    EXPECT_FALSE(hardwareIsiPhone4(std::string("Pine64 PinePhone (1.2)"), false));
    EXPECT_FALSE(hardwareIsiPhone4(std::string("x86_64"), false));
    EXPECT_TRUE(hardwareIsiPhone4(std::string("Pine64 PinePhone (1.2)"), true));
    EXPECT_FALSE(hardwareIsiPhone4(std::string("iPhone2,1"), true));
    EXPECT_FALSE(hardwareIsiPhone4(std::nullopt, true));
}

TEST(DeviceModel, DeviceTreeThenFirmwareProductThenUname) {
    auto write = [](const std::filesystem::path& file, const std::string& text) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    };
    struct utsname system {};
    ASSERT_EQ(::uname(&system), 0);

    TemporaryFolder root;
    EXPECT_EQ(hardwareModel(root.path()), std::string(system.machine)) << "nothing in the tree";
    write(root / "sys/class/dmi/id/product_name", "\n"); // an empty attribute counts as none
    EXPECT_EQ(hardwareModel(root.path()), std::string(system.machine));
    write(root / "sys/class/dmi/id/product_name", "ThinkPad X13 Gen 1\n");
    EXPECT_EQ(hardwareModel(root.path()), "ThinkPad X13 Gen 1");
    write(root / "proc/device-tree/model", std::string("Pine64 PinePhone (1.2)\0", 23));
    EXPECT_EQ(hardwareModel(root.path()), "Pine64 PinePhone (1.2)");
}
