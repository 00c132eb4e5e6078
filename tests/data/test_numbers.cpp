#include "data/Numbers.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QVariant>
#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

struct MaskCase {
    double value;
    const char* mask;
    const char* expected;
};

std::ostream& operator<<(std::ostream& os, const MaskCase& c) {
    return os << "Format(" << c.value << ", \"" << c.mask << "\")";
}

class FormatMask : public ::testing::TestWithParam<MaskCase> {};

TEST_P(FormatMask, GivesTheText) {
    const MaskCase& c = GetParam();
    EXPECT_EQ(Format(c.value, QString::fromLatin1(c.mask)).toStdString(), std::string(c.expected));
}

// Every numeric mask the windows, grids, reports and files use, with rounding,
// negatives, per cent and the trailing point.
const MaskCase kMaskCases[] = {
    // "0" always shown, "#" only when significant; the integer part shows all its digits.
    {0, "0", "0"},
    {7, "00", "07"},
    {123, "00000", "00123"},
    {123456, "00000", "123456"},
    {12.5, "00000", "00013"},
    {-7, "00000", "-00007"},
    {0, "#", ""},
    {0, "##", ""},
    {7, "##", "7"},
    {123, "##", "123"},
    {0, "##0", "0"},
    {12345, "##0", "12345"},
    {299.5, "##0", "300"},
    {0, "###0", "0"},
    {0, "####0", "0"},
    {0, "#########0", "0"},
    {4321.5, "#0", "4322"},
    {0, "000", "000"},
    {5, "0000", "0005"},
    // Halves away from zero, never to even.
    {0.5, "0", "1"},
    {1.5, "0", "2"},
    {2.5, "0", "3"},
    {-0.5, "0", "-1"},
    {-2.5, "0", "-3"},
    {0.49, "0", "0"},
    // Decimal rounding on 15 significant digits, not on the binary value.
    {2.675, "0.00", "2.68"},
    {1.005, "0.00", "1.01"},
    {0.35, "##0.0", "0.4"},
    {12.345, "##.##", "12.35"},
    {-2.675, "0.00", "-2.68"},
    // Carries through nines.
    {9.96, "0.0", "10.0"},
    {99.95, "##0.0", "100.0"},
    {0.999, "#.##", "1."},
    {999.9999, "000.000", "1000.000"},
    // "##0.0" and its relatives.
    {12.34, "##0.0", "12.3"},
    {0, "##0.0", "0.0"},
    {0.05, "##0.0", "0.1"},
    {1234.56, "##0.0", "1234.6"},
    {-160.0 / 9, "##0.0", "-17.8"},
    {100, "##0.0", "100.0"},
    {7.25, "###0.0", "7.3"},
    {0.04, "#0.0", "0.0"},
    {12.05, "##0.#", "12.1"},
    {12, "##0.#", "12."},
    // No "-0": a negative value that rounds to zero shows as zero.
    {-0.04, "##0.0", "0.0"},
    {-0.4, "0", "0"},
    {-0.4, "##0.", "0."},
    {-0.001, "##", ""},
    {-0.0, "0.0", "0.0"},
    // Optional fraction digits: trailing zeros dropped, the point stays.
    {2, "0.##", "2."},
    {3, "0.##", "3."},
    {2.5, "0.##", "2.5"},
    {2.499, "0.##", "2.5"},
    {2.001, "0.##", "2."},
    {0, "0.#", "0."},
    {12, "0.0#", "12.0"},
    {12.345, "0.0#", "12.35"},
    {2.5, "###0.##", "2.5"},
    {2, "###0.##", "2."},
    {3.14159, "#0.##", "3.14"},
    {1.23456, "##0.####", "1.2346"},
    {1.2, "###0.####", "1.2"},
    {1.2, "##0.###", "1.2"},
    {1.23456789, "####0.###", "1.235"},
    {0.5, "###0.######", "0.5"},
    // The trailing point mask.
    {300, "##0.", "300."},
    {0, "##0.", "0."},
    {12.6, "##0.", "13."},
    {-12.6, "##0.", "-13."},
    // No integer placeholder to the left of the point.
    {0, "#.#", "."},
    {0.45, "#.#", ".5"},
    {12.34, "#.#", "12.3"},
    {0.004, "##.##", "."},
    {0.005, "##.##", ".01"},
    {123.4, "##.##", "123.4"},
    {0.25, "####.#", ".3"},
    {1234.56, "####.##", "1234.56"},
    // Fixed fraction digits.
    {5.25, "000.0", "005.3"},
    {100, "000.0", "100.0"},
    {32, "000.0", "032.0"},
    {1234.5, "000.0", "1234.5"},
    {-5.25, "000.0", "-005.3"},
    {1.5, "000.000", "001.500"},
    {0.5, "00.00", "00.50"},
    {9.999, "00.00", "10.00"},
    {1.5, "0.0000", "1.5000"},
    {1.5, "0.000000", "1.500000"},
    {1.0 / 3, "#0.00000", "0.33333"},
    {2, "0000.00", "0002.00"},
    {2.5, "#0.00", "2.50"},
    {7, "###0.0000", "7.0000"},
    // "#0.0###" and its longer and shorter relatives: at least one decimal.
    {0.123456, "#0.0###", "0.1235"},
    {2, "#0.0###", "2.0"},
    {0.00004, "#0.0###", "0.0"},
    {0.00005, "#0.0###", "0.0001"},
    {-0.12, "#0.0###", "-0.12"},
    {0.9, "##0.0###", "0.9"},
    {12.3456, "####0.0###", "12.3456"},
    {25.4, "#0.0#", "25.4"},
    {3.14159, "#0.0#", "3.14"},
    {10, "#0.0#", "10.0"},
    {1.234, "####0.0#", "1.23"},
    {1.2345, "####0.0##", "1.235"},
    {1.5, "###0.0#", "1.5"},
    {1.5, "##0.0#", "1.5"},
    {1.2345, "##0.0##", "1.235"},
    {-1.2345678, "#0.0####", "-1.23457"},
    {0.000001, "#0.0####", "0.0"},
    {1.23456789, "#0.0#####", "1.234568"},
    {1.0 / 3, "##0.0########", "0.333333333"},
    {1.0 / 3, "#0.###########", "0.33333333333"},
    // Long fractions: only 15 significant digits exist.
    {0.1, "0.###############", "0.1"},
    {12, "0.###############", "12."},
    {1.0 / 3, "0.###############", "0.333333333333333"},
    {1.23456789012345e-5, "0.###############", "0.000012345678901"},
    {-2.5e-7, "0.###############", "-0.00000025"},
    // Per cent: times 100, the sign where it stands.
    {0.1234, "0.##%", "12.34%"},
    {0.123456, "0.##%", "12.35%"},
    {0.5, "0.##%", "50.%"},
    {0, "0.##%", "0.%"},
    {-0.001, "0.##%", "-0.1%"},
    {0.00001, "0.##%", "0.%"},
    {0.285, "0.#%", "28.5%"},
    {0.1234, "0.#%", "12.3%"},
    {1.5, "0.#%", "150.%"},
    // Other characters are copied as they stand.
    {12.345, " 000.00", " 012.35"},
    {1.5, " 000.0", " 001.5"},
    {-1, " 000.00", "- 001.00"},
    {0, "-1.0", "-1.0"},
    {-1, "-1.0", "--11.0"},
    // Big and small numbers.
    {1e20, "0", "100000000000000000000"},
    {123456789.123, "0.0", "123456789.1"},
    {1e-300, "0.00", "0.00"},
    {-1e-300, "0.00", "0.00"},
};

INSTANTIATE_TEST_SUITE_P(Masks, FormatMask, ::testing::ValuesIn(kMaskCases));

TEST(Format, EmptyMaskGivesTheShortestForm) {
    EXPECT_EQ(Format(2.5, ""), "2.5");
    EXPECT_EQ(Format(-1e-5, ""), "-1E-05");
}

TEST(Format, TextHoldingANumberIsFormattedAsThatNumber) {
    EXPECT_EQ(Format(QVariant(QStringLiteral("12.345")), "0.00"), "12.35");
    EXPECT_EQ(Format(QVariant(QStringLiteral(" 7 ")), "##0.0"), "7.0");
    EXPECT_EQ(Format(QVariant(QStringLiteral("-2.5E1")), "000"), "-025");
    EXPECT_EQ(Format(QVariant(QStringLiteral("0.1235")), "##.##"), ".12");
    // The text of another mask, formatted again (a length column).
    EXPECT_EQ(Format(QVariant(Format(1.0, "#0.0#")), "##0.0###"), "1.0");
}

TEST(Format, OtherTextIsReturnedUnchanged) {
    EXPECT_EQ(Format(QVariant(QStringLiteral("abc")), "##0.0"), "abc");
    EXPECT_EQ(Format(QVariant(QStringLiteral("1.2abc")), "##0.0"), "1.2abc");
    EXPECT_EQ(Format(QVariant(QStringLiteral("")), "##0.0"), "");
    EXPECT_EQ(Format(QVariant(QStringLiteral("  ")), "##0.0"), "  ");
}

TEST(Format, EmptyVariantGivesEmptyText) {
    EXPECT_EQ(Format(QVariant(), "##0.0"), "");
    EXPECT_EQ(Format(QVariant(QMetaType::fromType<double>()), "##0.0"), "");
}

TEST(Format, NumbersOfEveryTypeInAVariant) {
    EXPECT_EQ(Format(QVariant(5), "000"), "005");
    EXPECT_EQ(Format(QVariant(qint64(-12)), "##0.0"), "-12.0");
    EXPECT_EQ(Format(QVariant(2.675), "0.00"), "2.68");
    EXPECT_EQ(Format(QVariant(float(0.5f)), "0.0"), "0.5");
}

// ---------------------------------------------------------------- CStr, Str

struct TextCase {
    double value;
    const char* expected;
};

TEST(CStr, ShortestDecimalForm) {
    const TextCase cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {3, "3"},
        {100, "100"},
        {2.5, "2.5"},
        {-2.5, "-2.5"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {-2.0 / 3, "-0.666666666666667"},
        {0.0001, "0.0001"},
        {1e-5, "1E-05"},
        {-1.5e-7, "-1.5E-07"},
        {123456789012345, "123456789012345"},
        {1e15, "1E+15"},
        {1.5e300, "1.5E+300"},
    };
    for (const auto& c : cases) EXPECT_EQ(CStr(c.value).toStdString(), c.expected) << c.value;
}

TEST(Str, PutsABlankBeforeANumberThatIsNotNegative) {
    EXPECT_EQ(Str(3), " 3");
    EXPECT_EQ(Str(0), " 0");
    EXPECT_EQ(Str(-0.0), " 0");
    EXPECT_EQ(Str(2.5), " 2.5");
    EXPECT_EQ(Str(-3), "-3");
    EXPECT_EQ(Str(-0.25), "-0.25");
}

TEST(PrintNumber, BlankDigitsBlank) {
    EXPECT_EQ(PrintNumber(3), " 3 ");
    EXPECT_EQ(PrintNumber(0), " 0 ");
    EXPECT_EQ(PrintNumber(-3), "-3 ");
    EXPECT_EQ(PrintNumber(12.75), " 12.75 ");
    EXPECT_EQ(PrintNumber(0.5), " .5 ");
    EXPECT_EQ(PrintNumber(-0.25), "-.25 ");
    EXPECT_EQ(PrintNumber(0.00001), " 1E-05 ");
}

// ---------------------------------------------------------------- Val

TEST(Val, ReadsTheLongestNumericBeginning) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"  12.5abc", 12.5},
        {"abc", 0},
        {"", 0},
        {"   ", 0},
        {"-.5", -0.5},
        {"+7", 7},
        {"42", 42},
        {"1 2 3", 123},    // blanks are skipped everywhere
        {" - 5", -5},
        {"3\t4", 34},
        {"\n 42\r\n", 42},
        {"1.2.3", 1.2},
        {"12,5", 12},
        {"1e3", 1000},
        {"2.5E-2", 0.025},
        {"2D2", 200},
        {"1e", 1},
        {"1e+", 1},
        {"1ex", 1},
        {".", 0},
        {"-", 0},
        {"-x5", 0},
        {"5.", 5},
        {"0x1A", 0},
        {"1e999", 0},      // out of range: no number
        {"COM3", 0},
        {"3 COM", 3},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(Val(QString::fromLatin1(c.text)), c.expected) << '"' << c.text << '"';
}

// ---------------------------------------------------------------- StrictNumber

TEST(StrictNumber, AcceptsOnlyAWholeNumber) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case good[] = {
        {"2", 2}, {"  2.5 ", 2.5}, {"-.5", -0.5}, {"+3", 3}, {"5.", 5}, {"1e3", 1000}, {"1.5E-2", 0.015},
        {"0", 0}, {"\t100\r\n", 100},
    };
    for (const auto& c : good) {
        const auto v = StrictNumber(QString::fromLatin1(c.text));
        ASSERT_TRUE(v.has_value()) << '"' << c.text << '"';
        EXPECT_DOUBLE_EQ(*v, c.expected) << '"' << c.text << '"';
    }
    const char* bad[] = {"1x", "", "   ", "abc", ".", "-", "+", "1e", "1e+", "1 2", "1,5", "1.2.3",
                         "0x10", "nan", "inf", "1e999", "--1"};
    for (const char* t : bad) EXPECT_FALSE(StrictNumber(QString::fromLatin1(t)).has_value()) << '"' << t << '"';
}

// ---------------------------------------------------------------- locale

// The application runs with the user's locale in the C library (QApplication
// sets it); texts must still use a decimal point.
TEST(Numbers, IgnoreTheProcessLocale) {
    const std::string old = std::setlocale(LC_NUMERIC, nullptr);
    const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"};
    bool set = false;
    for (const char* n : names)
        if (std::setlocale(LC_NUMERIC, n)) {
            set = true;
            break;
        }
    // None installed: make a German one in a folder of the test's own.
    QTemporaryDir localeDir;
    if (!set && localeDir.isValid() &&
        QProcess::execute(QStringLiteral("localedef"),
                          {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"), QStringLiteral("UTF-8"),
                           localeDir.filePath(QStringLiteral("de_DE.UTF-8"))}) == 0) {
        qputenv("LOCPATH", localeDir.path().toLocal8Bit());
        set = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    }
    if (!set) GTEST_SKIP() << "no locale with a decimal comma installed or to be made";
    const QString cstr = CStr(2.5);
    const double val = Val("2.5");
    const auto strict = StrictNumber("2.5");
    const QString formatted = Format(2.5, "0.00");
    std::setlocale(LC_NUMERIC, old.c_str());
    qunsetenv("LOCPATH");
    EXPECT_EQ(cstr, "2.5");
    EXPECT_DOUBLE_EQ(val, 2.5);
    ASSERT_TRUE(strict.has_value());
    EXPECT_DOUBLE_EQ(*strict, 2.5);
    EXPECT_EQ(formatted, "2.50");
}

}  // namespace
