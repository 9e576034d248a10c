#include "tests/support/script_fixture.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace test {

const ModuleExports& module() {
    return scriptModule();
}

// A result slot starts with this pattern, so a call that leaves it alone is recognised.
static const HostValue untouchedMarker = {{0x7E57ED00u, 0x7E57ED01u}};

Answer::Answer(Answer&& other) noexcept
    : host(other.host), status(other.status), value(other.value), untouched(other.untouched) {
    other.host = nullptr;
}

Answer::~Answer() {
    if (host != nullptr && !untouched) {
        host->release(value);
    }
}

bool Answer::isSymbol(const std::string& text) const {
    return !untouched && host->isSymbol(value, text);
}
bool Answer::isFloat() const {
    return !untouched && host->typeOf(value) == sim::ValueType::Float;
}
bool Answer::isInteger() const {
    return !untouched && host->typeOf(value) == sim::ValueType::Integer;
}
double Answer::real() const {
    return host->floatOf(value);
}
int32_t Answer::integer() const {
    return host->integerOf(value);
}

static std::vector<double> floatsOf(sim::Host& host, const HostValue& value, sim::ValueType type) {
    std::vector<double> numbers;
    if (host.typeOf(value) != type) {
        return numbers;
    }
    for (const HostValue& item : host.itemsOf(value)) {
        numbers.push_back(host.typeOf(item) == sim::ValueType::Float
                              ? host.floatOf(item)
                              : static_cast<double>(0x7FFFFFFF));  // not a float: stands out
    }
    return numbers;
}

std::vector<double> Answer::list() const {
    return untouched ? std::vector<double>{} : floatsOf(*host, value, sim::ValueType::List);
}
std::vector<double> Answer::point() const {
    return untouched ? std::vector<double>{} : floatsOf(*host, value, sim::ValueType::Point);
}

std::string Answer::describe() const {
    std::ostringstream text;
    text << "status " << status << ", result "
         << (untouched ? std::string("untouched") : host->describe(value));
    return text.str();
}

void ScriptFixture::SetUp() {}

void ScriptFixture::TearDown() {
    destroyCamera();
    EXPECT_EQ(host.outstandingReferences(), 0) << host.referenceReport();
    EXPECT_FALSE(host.anyOverReleased()) << host.referenceReport();
    EXPECT_EQ(host.liveBoxes(), 0u) << "host values left unreleased";
    EXPECT_EQ(host.liveBlocks(), 0u) << "blocks left allocated";
    EXPECT_EQ(module().DllCanUnloadNow(), 0);
}

void ScriptFixture::createCamera(bool runNew) {
    void* out = nullptr;
    ASSERT_EQ(sim::createObject(host, module(), CameraClassId, CameraInterfaceId, &instance, &out),
              0);
    iface = static_cast<InterfaceObject*>(out);
    if (runNew) {
        ASSERT_EQ(sim::sendNew(host, iface), 0);
    }
}

void ScriptFixture::destroyCamera() {
    EXPECT_TRUE(sim::destroyObject(host, instance, iface)) << host.referenceReport();
    iface = nullptr;
}

Answer ScriptFixture::call(int32_t method, std::initializer_list<Arg> args,
                           InterfaceObject* object) {
    std::vector<HostValue> elements;
    const bool global = method >= Asin && method <= Ceiling;
    if (!global) {
        elements.push_back(host.makeSymbol("me"));  // "me": never read by the module
    }
    for (const Arg& arg : args) {
        switch (arg.kind) {
            case Arg::Integer:
                elements.push_back(host.makeInteger(static_cast<int32_t>(arg.number)));
                break;
            case Arg::Float:
                elements.push_back(host.makeFloat(arg.number));
                break;
            case Arg::Symbol:
                elements.push_back(host.makeSymbol(arg.text));
                break;
            case Arg::String:
                elements.push_back(host.makeString(arg.text));
                break;
        }
    }
    Answer answer = callRaw(method, elements, object);
    for (HostValue& element : elements) {
        host.release(element);
    }
    return answer;
}

Answer ScriptFixture::callRaw(int32_t method, const std::vector<HostValue>& elements,
                              InterfaceObject* object, size_t slot) {
    // The host's array is what the module reads; a few spare Void elements past the declared
    // arguments would hide an over-read, so the array is exactly as long as given (at least
    // one element, as a real call always carries one).
    std::vector<HostValue> array = elements;
    if (array.empty()) {
        array.push_back(HostValue{});
    }
    sim::CallBlock record;
    record.methodNumber = method;
    record.result = untouchedMarker;
    record.arguments = array.data();
    Answer answer;
    answer.host = &host;
    answer.status = sim::callSlot(object != nullptr ? object : iface, slot, &record);
    answer.value = record.result;
    answer.untouched = std::memcmp(&record.result, &untouchedMarker, sizeof(HostValue)) == 0;
    return answer;
}

namespace {
using Operation = Status(XTRA_CALL*)(InterfaceObject*);
Status runOperation(InterfaceObject* object, size_t slot) {
    return reinterpret_cast<Operation>(sim::slotOf(object, slot))(object);
}
}  // namespace

Status ScriptFixture::aimAtInterest() {
    return runOperation(iface, sim::AimAtInterestSlot);
}
double ScriptFixture::vectorAngle(double a, double b, double c, double d) {
    using Angle = double(XTRA_CALL*)(InterfaceObject*, double, double, double, double);
    return reinterpret_cast<Angle>(sim::slotOf(iface, sim::VectorAngleSlot))(iface, a, b, c, d);
}
Status ScriptFixture::updateRotationTable() {
    return runOperation(iface, sim::UpdateRotationTableSlot);
}
Status ScriptFixture::updateProjectionScale() {
    return runOperation(iface, sim::UpdateProjectionScaleSlot);
}
Status ScriptFixture::updateStageSize() {
    return runOperation(iface, sim::UpdateStageSizeSlot);
}

}  // namespace test
