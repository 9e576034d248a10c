#include "xtra/boundary/class_table.h"

int32_t enumerateClasses(const ClassTable& table, const Guid* filter, ClassVisitor classVisitor,
                         InterfaceVisitor interfaceVisitor, void* context) {
    for (int32_t i = 0; i < table.count; ++i) {
        const ClassEntry& entry = table.entries[i];
        if (filter != nullptr && !sameGuid(*filter, *entry.classId)) {
            continue;
        }
        if (classVisitor != nullptr) {
            const int32_t answer = classVisitor(*entry.classId, ClassVersion, entry.instanceSize,
                                                entry.create, entry.destroy, context);
            if (answer != 0) {
                return answer;
            }
        }
        if (interfaceVisitor != nullptr) {
            const int32_t answer =
                interfaceVisitor(*entry.classId, ClassVersion, *entry.interfaceId, InterfaceVersion,
                                 entry.creator, context);
            if (answer != 0) {
                return answer;
            }
        }
    }
    return 0;
}
