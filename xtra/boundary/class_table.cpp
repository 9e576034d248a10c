#include "xtra/boundary/class_table.h"

bool isSelectedBy(const ClassEntry& entry, const Guid* classId) {
    return classId == nullptr || sameGuid(*classId, *entry.classId);
}
