#pragma once

#include <cstdint>

// The arithmetic that turns the memory library's byte counts into what the windows show. Every
// rounding is half to even. The counts come from a library outside the program, so nothing here
// may divide by zero or overflow, whatever it reports.

// Rounds half to even, held to the 64-bit range; not-a-number gives 0.
int64_t RoundHalfEven(double value);

// Rounds half to even, held to the int range.
int RoundToInt(double value);

// Whole megabytes (bytes / 1048576).
int64_t MegaBytes(int64_t bytes);

// part / whole × 100 in whole percent, held to the int range; 0 when the whole is not positive.
int Percent(int64_t part, int64_t whole);

// a − b and a + b with the wrap-around of the machine's 64-bit arithmetic.
int64_t Difference(int64_t a, int64_t b);
int64_t Sum(int64_t a, int64_t b);
