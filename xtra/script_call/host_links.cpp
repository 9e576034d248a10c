#include "xtra/script_call/host_links.h"

namespace {

template <typename Service>
void giveBack(Service*& link) {
    if (link != nullptr) {
        link->ops->Release(link);
        link = nullptr;
    }
}

}  // namespace

bool obtainHostLinks(HostServices* services, HostLinks& links) {
    queryService(services, IID_ValueServices, &links.valueServices);
    queryService(services, IID_ListServices, &links.listServices);
    queryService(services, IID_AuxServices, &links.auxServices);
    return links.valueServices != nullptr && links.listServices != nullptr &&
           links.auxServices != nullptr;
}

void releaseHostLinks(HostLinks& links) {
    giveBack(links.valueServices);
    giveBack(links.listServices);
    giveBack(links.auxServices);
}
