#include "bench/shipped/host_common.h"

#include <cstring>

namespace hostabi {

namespace {

const char* const symbolTexts[] = {"Ok", "errInvalidParameter", "errCouldNotCreateList",
                                   "errParamInvalid", "errLimitsInvalid"};
constexpr int32_t KnownSymbols = sizeof(symbolTexts) / sizeof(symbolTexts[0]);

}  // namespace

uint32_t HOST_CALL uncountedAddRef(Object*) {
    return 2;
}

uint32_t HOST_CALL uncountedRelease(Object*) {
    return 1;
}

Status HOST_CALL noInterface(Object*, const Guid*, void** out) {
    *out = nullptr;
    return NoInterface;
}

Status answerServiceQuery(Host& host, const Guid* iid, void** out) {
    Object* answer = nullptr;
    if (std::memcmp(iid, &ValueServicesId, sizeof(Guid)) == 0) {
        answer = reinterpret_cast<Object*>(host.values());
    } else if (std::memcmp(iid, &ListServicesId, sizeof(Guid)) == 0) {
        answer = reinterpret_cast<Object*>(host.lists());
    } else if (std::memcmp(iid, &AuxServicesId, sizeof(Guid)) == 0) {
        answer = host.hostServices();
    }
    *out = answer;
    return answer != nullptr ? 0 : NoInterface;
}

int32_t symbolNumber(const char* text) {
    int32_t symbol = 0;
    while (symbol < KnownSymbols && std::strcmp(symbolTexts[symbol], text) != 0) {
        ++symbol;
    }
    return symbol;
}

}  // namespace hostabi
