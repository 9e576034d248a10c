// The workbench's legend of keys, drawn on the stage while F1 has it on.
#pragma once

#include "demo/back_buffer.h"

namespace demo {

void drawLegend(BackBuffer& buffer, bool holding);

}  // namespace demo
