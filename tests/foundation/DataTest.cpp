#include "foundation/Data.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace torvane;

TEST(Data, NoneIsApartFromEmpty) {
    EXPECT_FALSE(Data());
    EXPECT_TRUE(Data::copy(""));
    EXPECT_EQ(Data::copy("").length(), 0u);
}

TEST(Data, AdoptsAMallocBufferWithoutCopyingIt) {
    Data::MallocBytes bytes(static_cast<std::uint8_t*>(std::malloc(3)));
    std::memcpy(bytes.get(), "abc", 3);
    const std::uint8_t* address = bytes.get();
    Data data = Data::adopt(std::move(bytes), 3);
    EXPECT_EQ(data.bytes(), address);
    EXPECT_EQ(data.view(), "abc");
    Data shared = data;
    EXPECT_TRUE(shared.isSameBuffer(data));
    EXPECT_FALSE(Data::copy("abc").isSameBuffer(data));
}
