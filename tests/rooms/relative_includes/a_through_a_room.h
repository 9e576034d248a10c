// Reaches the camera room through the boundary room's root: the check must refuse it.
#include "xtra/boundary/../camera/camera_state.h"
