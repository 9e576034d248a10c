#include "demo/basics.h"

#include <cstdio>

namespace demo {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

}  // namespace demo
