// Names files that only look relative: the check must let them pass.
#include "xtra/boundary/.hidden.h"
#include "xtra/camera/camera_state.h"
