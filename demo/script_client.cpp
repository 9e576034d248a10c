#include "demo/script_client.h"

#include <cmath>
#include <cstring>
#include <sstream>

#include "simhost/interface_ids.h"
#include "simhost/script_object.h"

namespace demo {

namespace {

// The all-zero identifier of the record that ends the class information.
const Guid NoGuid = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

std::string hex(Status status) {
    std::ostringstream text;
    text << "0x" << std::hex << static_cast<uint32_t>(status);
    return text.str();
}

// The class that offers `interfaceId`, read from the module's class-information records the
// way the host learns its classes. False when no class offers it.
bool findClass(sim::Host& host, const ModuleExports& module, const Guid& interfaceId,
               Guid* classId) {
    ClassInfoRecord* records = nullptr;
    if (module.DllGetClassInfo(host.allocator(), &records) != StatusOk || records == nullptr) {
        return false;
    }
    bool found = false;
    for (const ClassInfoRecord* record = records;
         !(sameGuid(record->classId, NoGuid) && sameGuid(record->interfaceId, NoGuid)); ++record) {
        if (!found && sameGuid(record->interfaceId, interfaceId)) {
            *classId = record->classId;
            found = true;
        }
    }
    // The array is the host's once handed over.
    host.allocator()->ops->Free(host.allocator(), records);
    return found;
}

}  // namespace

ScriptClient::ScriptClient() = default;

ScriptClient::~ScriptClient() {
    close();
}

bool ScriptClient::open(const std::string& modulePath, void* stageWindow, std::string* reason) {
    std::string why;
    if (!loadModule(modulePath.c_str(), &module_, &why)) {
        *reason = why;
        return false;
    }

    // Registration: the host makes a registration instance and calls Register on it, which
    // stores the message table that tells the host the script interface.
    Guid registrationClass{};
    Guid cameraClass{};
    if (!findClass(host_, module_, sim::RegistrationInterfaceId, &registrationClass) ||
        !findClass(host_, module_, sim::CameraInterfaceId, &cameraClass)) {
        *reason = "the module's class information lists no registration or script class";
        return false;
    }
    sim::Instance registration;
    void* registrar = nullptr;
    if (sim::createObject(host_, module_, registrationClass, sim::RegistrationInterfaceId,
                          &registration, &registrar) != StatusOk) {
        *reason = "no registration interface";
        sim::destroyObject(host_, registration, nullptr);
        return false;
    }
    const Status registered = sim::registerObject(registrar, host_.registrationCache(), 0);
    sim::destroyObject(host_, registration, registrar);
    if (registered != StatusOk) {
        *reason = "Register answered " + hex(registered);
        return false;
    }
    for (const sim::RegistryEntry& entry : host_.registry()) {
        if (entry.key == "msgTable" && !entry.data.empty()) {
            methods_ =
                parseMessageTable(std::string(reinterpret_cast<const char*>(entry.data.data())));
        }
    }
    for (const char* needed : {"new", "setPosition", "setInterest", "setRotation", "setRoll",
                               "getProjection", "getBlendLevel", "getCoordinates"}) {
        if (methods_.count(needed) == 0) {
            *reason = std::string("the registered message table has no ") + needed;
            return false;
        }
    }

    // The camera object: the instance record, its interface, then "new" on our own window.
    if (sim::createObject(host_, module_, cameraClass, sim::CameraInterfaceId, &camera_,
                          &interface_) != StatusOk) {
        *reason = "no camera object";
        return false;
    }
    host_.setStageWindow(stageWindow);
    HostValue result{};
    const Status status = invoke("new", {}, &result);
    if (status != StatusOk) {
        *reason = "new answered " + hex(status);
        return false;
    }
    return true;
}

void ScriptClient::close() {
    sim::destroyObject(host_, camera_, interface_);
    interface_ = nullptr;
    host_.setStageWindow(nullptr);
}

void ScriptClient::fail(const std::string& what) {
    if (lastError_.empty()) {  // the first fault is the telling one
        lastError_ = what;
    }
}

Status ScriptClient::invoke(const std::string& method, const std::vector<double>& args,
                            HostValue* result) {
    auto entry = methods_.find(method);
    if (entry == methods_.end() || interface_ == nullptr) {
        fail("no method " + method);
        return StatusNotAvailable;
    }
    // Element 0 is "me" for object methods; a global handler's first argument is element 0.
    std::vector<HostValue> elements;
    if (!entry->second.global) {
        elements.push_back(host_.makeSymbol("me"));
    }
    for (double arg : args) {
        elements.push_back(host_.makeFloat(arg));
    }
    if (elements.empty()) {
        elements.push_back(HostValue{});
    }
    sim::CallBlock record;
    record.methodNumber = entry->second.number;
    record.arguments = elements.data();
    const Status status = sim::callObject(interface_, &record);
    calls_ += 1;
    for (HostValue& element : elements) {
        host_.release(element);
    }
    *result = record.result;
    return status;
}

bool ScriptClient::set(const std::string& method, const std::vector<double>& args) {
    HostValue result{};
    const Status status = invoke(method, args, &result);
    const bool ok = status == StatusOk && host_.isSymbol(result, "Ok");
    if (!ok) {
        fail(method + " answered " + host_.describe(result) + ", status " + hex(status));
    }
    host_.release(result);
    return ok;
}

template <typename Read>
void ScriptClient::ask(const std::string& method, const std::vector<double>& args, Read read) {
    HostValue result{};
    invoke(method, args, &result);
    if (!read(result)) {
        fail(method + " answered " + host_.describe(result));
    }
    host_.release(result);
}

double ScriptClient::getFloat(const std::string& method) {
    // A getter's float answer is read as a handler's: a float, or a failure.
    return handler(method, {});
}

int32_t ScriptClient::getInteger(const std::string& method) {
    int32_t number = 0;
    ask(method, {}, [&](const HostValue& answer) {
        if (host_.typeOf(answer) != sim::ValueType::Integer) {
            return false;
        }
        number = host_.integerOf(answer);
        return true;
    });
    return number;
}

Point3 ScriptClient::getTriple(const std::string& method, const std::vector<double>& args) {
    double numbers[3] = {0, 0, 0};
    ask(method, args, [&](const HostValue& answer) {
        return host_.floatsOf(answer, sim::ValueType::List, 3, numbers);
    });
    return {numbers[0], numbers[1], numbers[2]};
}

CameraSnapshot ScriptClient::snapshot() {
    return {getTriple("getPosition"),   getTriple("getInterest"),    getTriple("getRotation"),
            getFloat("getFieldOfView"), getFloat("getPictureRatio"), getFloat("getNearPlane"),
            getFloat("getFarPlane")};
}

ProjectedPoint ScriptClient::getProjection(const Point3& world) {
    // The camera answers (-2000, -2000) for a point outside its depth range; an answer that is
    // no point is taken as that.
    double stage[2] = {-2000.0, -2000.0};
    ask("getProjection", {world.x, world.y, world.z}, [&](const HostValue& answer) {
        return host_.floatsOf(answer, sim::ValueType::Point, 2, stage);
    });
    return {stage[0], stage[1], !(stage[0] == -2000.0 && stage[1] == -2000.0)};
}

Answer ScriptClient::call(const std::string& method, const std::vector<double>& args) {
    HostValue result{};
    Answer answer;
    answer.status = invoke(method, args, &result);
    answer.text = host_.describe(result);
    switch (host_.typeOf(result)) {
        case sim::ValueType::Float:
            answer.kind = Answer::Float;
            answer.numbers = {host_.floatOf(result)};
            answer.text = host_.describe(result).substr(0, answer.text.find(' '));
            break;
        case sim::ValueType::Integer:
            answer.kind = Answer::Integer;
            answer.numbers = {static_cast<double>(host_.integerOf(result))};
            break;
        case sim::ValueType::Symbol:
            answer.kind = Answer::Symbol;
            answer.symbol = host_.symbolOf(result);
            break;
        case sim::ValueType::List:
        case sim::ValueType::Point: {
            answer.kind =
                host_.typeOf(result) == sim::ValueType::List ? Answer::List : Answer::Point;
            for (const HostValue& item : host_.itemsOf(result)) {
                const sim::ValueType type = host_.typeOf(item);
                if (type == sim::ValueType::Float) {
                    answer.numbers.push_back(host_.floatOf(item));
                } else if (type == sim::ValueType::Integer) {
                    answer.numbers.push_back(host_.integerOf(item));
                } else {
                    answer.kind = Answer::Other;  // not a list of numbers
                }
            }
            break;
        }
        default:
            break;
    }
    host_.release(result);
    return answer;
}

double ScriptClient::handler(const std::string& name, const std::vector<double>& args) {
    double number = std::nan("");
    ask(name, args, [&](const HostValue& answer) {
        if (host_.typeOf(answer) != sim::ValueType::Float) {
            return false;
        }
        number = host_.floatOf(answer);
        return true;
    });
    return number;
}

}  // namespace demo
