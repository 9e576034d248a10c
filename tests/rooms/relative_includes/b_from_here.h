// Starts its path from this folder: the check must refuse it.
#include "./a_through_a_room.h"
