// The plain values that every part of the demo shares and that need nothing else.
#pragma once

#include <cstdint>

namespace demo {

struct Point3 {
    double x, y, z;
};

struct Rgb {
    uint8_t r, g, b;
};

}  // namespace demo
