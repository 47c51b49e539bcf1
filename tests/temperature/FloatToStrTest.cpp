#include "platform/FloatToStr.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <limits>

TEST(FloatToStrTest, SinglePrecisionReadingsShowTheDigitsOfTheStoredValue)
{
    EXPECT_EQ(FloatToStr(45.3f), QStringLiteral("45.2999992370605"));
    EXPECT_EQ(FloatToStr(45.0f + 1.0f / 3.0f), QStringLiteral("45.3333320617676"));
    EXPECT_EQ(FloatToStr(47.5f), QStringLiteral("47.5"));
    EXPECT_EQ(FloatToStr(0.1), QStringLiteral("0.1"));
}

TEST(FloatToStrTest, WholeNumbersZeroAndNegativesCarryNoTrailingZeros)
{
    EXPECT_EQ(FloatToStr(0.0), QStringLiteral("0"));
    EXPECT_EQ(FloatToStr(-0.0), QStringLiteral("0"));
    EXPECT_EQ(FloatToStr(45.0), QStringLiteral("45"));
    EXPECT_EQ(FloatToStr(100.0), QStringLiteral("100"));
    EXPECT_EQ(FloatToStr(-12.5), QStringLiteral("-12.5"));
    EXPECT_EQ(FloatToStr(-0.25), QStringLiteral("-0.25"));
    EXPECT_EQ(FloatToStr(999999999999999.0), QStringLiteral("999999999999999"));
    EXPECT_EQ(FloatToStr(2.0 / 3.0), QStringLiteral("0.666666666666667"));
}

TEST(FloatToStrTest, VeryLargeAndVerySmallValuesUseAnExponent)
{
    EXPECT_EQ(FloatToStr(1e15), QStringLiteral("1E15"));
    EXPECT_EQ(FloatToStr(1234567890123456789.0), QStringLiteral("1.23456789012346E18"));
    EXPECT_EQ(FloatToStr(-2.5e20), QStringLiteral("-2.5E20"));
    EXPECT_EQ(FloatToStr(0.0001), QStringLiteral("0.0001"));
    EXPECT_EQ(FloatToStr(0.00001), QStringLiteral("1E-5"));
    EXPECT_EQ(FloatToStr(1.5e-7), QStringLiteral("1.5E-7"));
    EXPECT_EQ(FloatToStr(9.999999999999999e-5), QStringLiteral("0.0001"));
}

TEST(FloatToStrTest, ValuesThatAreNoNumbersHaveNames)
{
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("NAN"));
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity()), QStringLiteral("INF"));
    EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), QStringLiteral("-INF"));
}

TEST(FloatToStrTest, TheUsersDecimalSeparatorIsUsed)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FloatToStr(47.5), QStringLiteral("47,5"));
    EXPECT_EQ(FloatToStr(1.5e-7), QStringLiteral("1,5E-7"));
    EXPECT_EQ(FloatToStr(1234.0), QStringLiteral("1234"));
    QLocale::setDefault(previous);
}
