#include "memory/MemoryFigures.h"

#include <climits>
#include <cmath>

int64_t RoundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    // 2^63 is the first double above the range.
    if (value >= 9223372036854775808.0)
        return INT64_MAX;
    if (value < -9223372036854775808.0)
        return INT64_MIN;
    return static_cast<int64_t>(std::nearbyint(value));
}

int RoundToInt(double value)
{
    const int64_t rounded = RoundHalfEven(value);
    if (rounded > INT_MAX)
        return INT_MAX;
    if (rounded < INT_MIN)
        return INT_MIN;
    return static_cast<int>(rounded);
}

int64_t MegaBytes(int64_t bytes)
{
    return RoundHalfEven(static_cast<double>(bytes) / 1048576.0);
}

int Percent(int64_t part, int64_t whole)
{
    if (whole <= 0)
        return 0;
    return RoundToInt(static_cast<double>(part) / static_cast<double>(whole) * 100.0);
}

int64_t Difference(int64_t a, int64_t b)
{
    return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}

int64_t Sum(int64_t a, int64_t b)
{
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}
