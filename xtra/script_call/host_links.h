// The host links an object's handlers call through: obtained from the host when the object is
// made, given back when it is destroyed.
#pragma once

#include "xtra/boundary/host_interfaces.h"

// Null when not obtained; auxServices is held and released, never called.
struct HostLinks {
    ValueServices* valueServices;
    ListServices* listServices;
    AuxServices* auxServices;
};

// Asks HostServices for all three, whatever the earlier requests gave; the statuses are not
// looked at, only whether a link arrived. True when all three did.
bool obtainHostLinks(HostServices* services, HostLinks& links);

// Releases each link that was obtained, in the order value, list, aux, and clears all three.
void releaseHostLinks(HostLinks& links);
