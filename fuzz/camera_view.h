// What the fuzzer checks of the camera's own record beside what a host can see, read through
// the module's accessor as its own tests of its arithmetic do. The rest of the fuzzer plays the
// host and knows none of the module's declarations.
#pragma once

#include <cstdint>

struct InterfaceObject;

namespace view {

// The rotation table holds the sine and cosine of each angle, each from its own call.
bool rotationTableMatchesAngles(InterfaceObject* object);

// The reference count the interface object keeps of itself.
int32_t referenceCountOf(InterfaceObject* object);

}  // namespace view
