// Degree and radian conversions, each computed one fixed way so every build rounds alike.
#pragma once

#include <cmath>

// pi as 4 x atan2(1, 1), so every build rounds it the same way.
inline double piValue() {
    return 4.0 * std::atan2(1.0, 1.0);
}

// Multiplied in this order: pi first, then the factor 1/180 as a literal.
inline double degreesToRadians(double degrees) {
    return degrees * (piValue() * 0.005555555555555556);
}

inline double radiansToDegrees(double radians) {
    return radians * (180.0 / piValue());
}
