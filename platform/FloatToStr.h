#pragma once

#include <QString>

// The class library's general number format: up to 15 significant digits, trailing zeros dropped,
// the user's decimal separator; scientific ("1.5E-7", "1E20") when the value is below 0.0001 or
// has more than 15 digits before the separator. Not-a-number and infinities read "NAN", "INF" and
// "-INF".
QString FloatToStr(double value);
