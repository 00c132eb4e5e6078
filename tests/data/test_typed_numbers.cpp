// The one reading of a number typed into a box: which texts are numbers,
// what an empty box stands for, and the message that names a box refused.

#include "data/TypedNumbers.h"

#include <gtest/gtest.h>

namespace {

struct Reading {
    const char* text;
    std::optional<double> value;           // none: no number
    std::optional<double> valueWhenEmpty;  // read with an empty box standing for 0
};

const Reading kReadings[] = {
    {"abc", {}, {}},       {"1,2", {}, {}},          {"", {}, 0.0},          {" 12 ", 12, 12},
    {"1e3", 1000, 1000},   {"-", {}, {}},            {"   ", {}, 0.0},        {"-3.5", -3.5, -3.5},
    {"+.5", 0.5, 0.5},     {"12 kg", {}, {}},        {"1 2", {}, {}},        {"1e999", {}, {}},
    {"0x10", {}, {}},      {"1d3", {}, {}},          {"٣", {}, {}},
};

TEST(TypedNumbers, TheWholeTextIsTheNumberOrNone) {
    for (const Reading& r : kReadings) {
        const QString text = QString::fromUtf8(r.text);
        EXPECT_EQ(typed::TypedNumber(text), r.value) << r.text;
        EXPECT_EQ(typed::TypedNumber(text, 0.0), r.valueWhenEmpty) << r.text;
        const auto refused = typed::RefusedNumber({"Cycle", text, {}, "txtCycle"});
        EXPECT_EQ(refused.has_value(), !r.value.has_value()) << r.text;
        if (refused) {
            EXPECT_EQ(refused->message, typed::NotANumberMessage("Cycle", text)) << r.text;
            EXPECT_EQ(refused->objectName, "txtCycle") << r.text;
        }
    }
}

TEST(TypedNumbers, TheMessageNamesTheBoxAndWhatItHolds) {
    EXPECT_EQ(typed::NotANumberMessage("Temp (°F)", "abc"),
              "Temp (°F): \"abc\" is not a number. Please type a number, with a point for decimals (2.5).");
    EXPECT_EQ(typed::NotANumberMessage("Max", " "),
              "Max: the box is empty. Please type a number, with a point for decimals (2.5).");
}

TEST(TypedNumbers, TheFirstBoxThatHoldsNoNumberIsRefused) {
    const auto refused = typed::FirstRefusedNumber({{"A", "1", {}, "a"},
                                                    {"B", "", 0.0, "b"},
                                                    {"C", "x", {}, "c"},
                                                    {"D", "y", {}, "d"}});
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->objectName, "c");
    EXPECT_FALSE(typed::FirstRefusedNumber({{"A", "1", {}, "a"}, {"B", "", 0.0, "b"}}));
}

TEST(TypedNumbers, ACaptionNamesItsBoxWithoutItsColon) {
    EXPECT_EQ(typed::BoxName("Temperature (°F):"), "Temperature (°F)");
    EXPECT_EQ(typed::BoxName("Cycle :"), "Cycle");
    EXPECT_EQ(typed::BoxName("Temperature(°F): "), "Temperature(°F)");
    EXPECT_EQ(typed::BoxName("Run Ramp"), "Run Ramp");
}

}  // namespace
