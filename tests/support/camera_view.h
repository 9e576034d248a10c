// The camera's fields as the module's own tests of its arithmetic read them, through the
// module's accessor. A host never looks past the instance header; the fixture's calls stay the
// host's.
#pragma once

#include "tests/support/script_fixture.h"
#include "xtra/camera_class/camera_instance.h"

namespace test {

class CameraFixture : public ScriptFixture {
  protected:
    CameraState& camera() { return cameraInstanceOf(iface).camera; }
};

}  // namespace test
