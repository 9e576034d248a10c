// The presentation's side of the camera plug-in. It plays the Director host with the simulated
// host library: SCRIPT.x32 is reached only through its five exports and the interfaces they
// hand out, and every camera method is called through the dispatcher by the number that the
// plug-in's own registered message table gives it, exactly as a script's call would arrive.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "demo/basics.h"
#include "demo/message_table.h"
#include "simhost/sim_host.h"

namespace demo {

// A stage point as getProjection answers it; inView is false for the (-2000, -2000) marker
// that the camera gives for a point outside its depth range.
struct ProjectedPoint {
    double h, v;
    bool inView;
};

// The camera's state as its getters answer it; rotation is pitch, yaw, roll in degrees.
struct CameraSnapshot {
    Point3 position, interest, rotation;
    double fieldOfView, pictureRatio, nearPlane, farPlane;
};

// Any answer of a method, as the host's script would see it: numbers, or a symbol such as
// #errInvalidParameter. `text` is how the script language would print it.
struct Answer {
    enum Kind { Float, Integer, List, Point, Symbol, Other } kind = Other;
    std::vector<double> numbers;  // the float, the integer, the list's or the point's items
    std::string symbol;           // without the #, for a symbol answer
    std::string text;
    Status status = StatusOk;

    bool isOk() const { return kind == Symbol && symbol == "Ok"; }
};

class ScriptClient {
  public:
    ScriptClient();
    ~ScriptClient();
    ScriptClient(const ScriptClient&) = delete;
    ScriptClient& operator=(const ScriptClient&) = delete;

    // Loads the module from `modulePath`, registers it with the host, reads its message table,
    // creates one Orvanta object and sends it "new" with `stageWindow` as the stage. False,
    // with a reason, when any step fails.
    bool open(const std::string& modulePath, void* stageWindow, std::string* reason);
    // Releases the object and gives the instance back to the host; safe to call twice.
    void close();

    // The error of the last call that did not give what its helper expected, empty if none.
    const std::string& lastError() const { return lastError_; }

    // Setters: true when the method answered the symbol Ok.
    bool set(const std::string& method, const std::vector<double>& args);
    // Getters of one float, of a list of three floats (getCoordinates takes arguments), of an
    // integer.
    double getFloat(const std::string& method);
    Point3 getTriple(const std::string& method, const std::vector<double>& args = {});
    int32_t getInteger(const std::string& method);

    CameraSnapshot snapshot();

    ProjectedPoint getProjection(const Point3& world);
    double getDistance() { return getFloat("getDistance"); }
    int32_t getBlendLevel() { return getInteger("getBlendLevel"); }
    Point3 getCoordinates(double h, double v, double worldZ) {
        return getTriple("getCoordinates", {h, v, worldZ});
    }

    // Calls `method` and answers whatever it gave; unlike the helpers above, an unexpected
    // answer is no fault of the run (a refused value is an answer to show).
    Answer call(const std::string& method, const std::vector<double>& args);

    // The global handlers that answer a float (constrain, limit, asin, acos).
    double handler(const std::string& name, const std::vector<double>& args);

    // Method calls made so far, for the frame log.
    long long callCount() const { return calls_; }

  private:
    // Calls `method` with numeric arguments; the result value is the caller's to release.
    Status invoke(const std::string& method, const std::vector<double>& args, HostValue* result);
    // Calls a getter or handler and gives its answer back to the host; `read` takes the answer
    // and says whether it was of the kind expected (an answer of another kind is a fault of
    // the run).
    template <typename Read>
    void ask(const std::string& method, const std::vector<double>& args, Read read);
    void fail(const std::string& what);

    sim::Host host_;
    ModuleExports module_{};
    sim::Instance camera_;
    void* interface_ = nullptr;  // the camera object's interface, as DllGetInterface gave it
    std::map<std::string, MessageEntry> methods_;
    std::string lastError_;
    long long calls_ = 0;
};

}  // namespace demo
