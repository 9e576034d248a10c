// The plain values that every part of the demo shares and that need nothing else.
#pragma once

#include <cstdint>
#include <string>

namespace demo {

struct Point3 {
    double x, y, z;
};

struct Rgb {
    uint8_t r, g, b;
};

constexpr double Pi = 3.14159265358979323846;

// A number as the capture logs print it, with six decimals.
std::string number(double value);

}  // namespace demo
