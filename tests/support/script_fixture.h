// Drives the plug-in as a script would: a simulated host, the module reached through its
// exports, a camera instance created the host's way, and calls by method number through the
// host's slots (simhost/host_numbers.h). Nothing here knows the module's own declarations; the
// camera's fields are read in camera_view.h.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "simhost/interface_ids.h"
#include "simhost/script_object.h"
#include "simhost/sim_host.h"

// An object the module hands out, opaque to the host.
struct InterfaceObject;

namespace test {

// The module under test: linked in natively, loaded from SCRIPT.x32 under Windows/Wine.
const ModuleExports& module();

// Identifiers as the host knows them, written out rather than taken from the module's sources.
using sim::AuxServicesId;
using sim::CameraClassId;
using sim::CameraInterfaceId;
using sim::HostInfoId;
using sim::ListServicesId;
using sim::LoadControlId;
using sim::PresentationServicesId;
using sim::RegistrationClassId;
using sim::RegistrationInterfaceId;
using sim::ValueServicesId;

// One argument as a script passes it.
struct Arg {
    enum Kind { Integer, Float, Symbol, String } kind;
    double number;
    std::string text;
    static Arg integer(int32_t n) { return {Integer, static_cast<double>(n), {}}; }
    static Arg real(double x) { return {Float, x, {}}; }
    static Arg symbol(const std::string& s) { return {Symbol, 0.0, s}; }
    static Arg string(const std::string& s) { return {String, 0.0, s}; }
    Arg(double x) : kind(Float), number(x) {}  // NOLINT: plain numbers read naturally
    Arg(Kind k, double n, std::string t) : kind(k), number(n), text(std::move(t)) {}
};

// What a call gave back: the status and the result value (owned, released on destruction).
struct Answer {
    sim::Host* host = nullptr;
    Status status = 0;
    HostValue value{};
    bool untouched = false;  // the result still holds the marker the call record started with

    Answer() = default;
    Answer(const Answer&) = delete;
    Answer(Answer&& other) noexcept;
    ~Answer();

    bool isSymbol(const std::string& text) const;
    bool isFloat() const;
    bool isInteger() const;
    double real() const;                // a float result
    int32_t integer() const;            // an integer result
    std::vector<double> list() const;   // a list of floats
    std::vector<double> point() const;  // a point of two floats
    std::string describe() const;
};

class ScriptFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the camera instance and its interface; `runNew` also sends method 0.
    void createCamera(bool runNew = true);
    void destroyCamera();

    // Calls method n with the arguments after "me" (object methods) or as elements from 0
    // (global handlers, methods 20 to 26): the fixture places them the way the host does. The
    // call goes to `object`, or to the fixture's camera when that is null; callRaw enters
    // `slot` instead of Call when one is given.
    Answer call(int32_t method, std::initializer_list<Arg> args = {},
                InterfaceObject* object = nullptr);
    Answer callRaw(int32_t method, const std::vector<HostValue>& elements,
                   InterfaceObject* object = nullptr, size_t slot = sim::CallSlot);

    // The camera's internal operations, each through its slot.
    Status aimAtInterest();
    double vectorAngle(double a, double b, double c, double d);
    Status updateRotationTable();
    Status updateProjectionScale();
    Status updateStageSize();

    sim::Host host;
    sim::Instance instance;
    InterfaceObject* iface = nullptr;
};

// Method numbers in message-table order.
enum Method : int32_t {
    New = 0,
    GetPosition,
    SetPosition,
    GetInterest,
    SetInterest,
    GetRotation,
    SetRotation,
    SetRoll,
    GetFieldOfView,
    SetFieldOfView,
    GetPictureRatio,
    SetPictureRatio,
    GetNearPlane,
    SetNearPlane,
    GetFarPlane,
    SetFarPlane,
    GetProjection,
    GetDistance,
    GetBlendLevel,
    GetCoordinates,
    Asin,
    Acos,
    Constrain,
    Limit,
    Sgn,
    Floor,
    Ceiling
};

}  // namespace test
