// Port numbers to names without asking the system: Windows names, and the numbering order of
// listed devices.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/port_naming.h"

namespace quellbox::link {
namespace {

using Names = std::vector<std::string>;

TEST(PortNaming, WindowsNamesStartAtCom1) {
    EXPECT_EQ(windows_port_name(1), "COM1");
    EXPECT_EQ(windows_port_name(255), "COM255");
    EXPECT_FALSE(windows_port_name(0).has_value());
    EXPECT_FALSE(windows_port_name(-3).has_value());
}

TEST(PortOrder, UsbAdaptersComeFirstThenTheRestEachInNaturalOrder) {
    const Names listed = {"ttyS1",   "ttyUSB10", "ttyACM0", "ttyS0",
                          "ttyUSB2", "ttyS10",   "ttyS2",   "rfcomm0"};
    const Names expected = {"ttyACM0", "ttyUSB2", "ttyUSB10", "rfcomm0",
                            "ttyS0",   "ttyS1",   "ttyS2",    "ttyS10"};
    EXPECT_EQ(order_port_names(listed), expected);
    EXPECT_TRUE(order_port_names({}).empty());
}

TEST(PortOrder, NaturalOrderComparesDigitRunsByValue) {
    EXPECT_TRUE(natural_less("ttyUSB2", "ttyUSB10"));
    EXPECT_FALSE(natural_less("ttyUSB10", "ttyUSB2"));
    EXPECT_FALSE(natural_less("ttyS3", "ttyS3"));
    EXPECT_TRUE(natural_less("tty", "tty0"));
    EXPECT_TRUE(natural_less("ttyS9", "ttyUSB0"));  // text decides before numbers do
    EXPECT_TRUE(natural_less("ttyS2", "ttyS02"));   // same value: shorter spelling first
    EXPECT_FALSE(natural_less("ttyS02", "ttyS2"));
    // Runs far beyond any integer type still compare by value.
    EXPECT_TRUE(natural_less("ttyS99999999999999999999", "ttyS100000000000000000000"));
}

}  // namespace
}  // namespace quellbox::link
