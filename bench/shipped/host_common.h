// What both benchmark hosts do alike: objects that count no references (every object lives as
// long as the process), the answer to a request for a service, and the numbering of symbols.
#pragma once

#include <cstdint>

#include "bench/shipped/host_abi.h"

namespace hostabi {

uint32_t HOST_CALL uncountedAddRef(Object* self);
uint32_t HOST_CALL uncountedRelease(Object* self);
// QueryInterface of every object but HostServices: no interfaces.
Status HOST_CALL noInterface(Object* self, const Guid* iid, void** out);

// HostServices' QueryInterface for `host`: its value, list and aux services (the aux service is
// held and released, never called), NoInterface for anything else.
Status answerServiceQuery(Host& host, const Guid* iid, void** out);

// Symbols are numbered by their place in one list of the texts the module uses; an unknown text
// gets the number after them.
int32_t symbolNumber(const char* text);

}  // namespace hostabi
