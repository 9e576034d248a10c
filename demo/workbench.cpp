#include "demo/workbench.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "demo/key_bindings.h"
#include "demo/legend.h"

namespace demo {

namespace {

constexpr double MoveSpeed = 6.0;      // world units a second; Shift four times that
constexpr double TurnPerPixel = 0.25;  // degrees of turn for a pixel of mouse travel
constexpr double TraceSeconds = 3.5;   // how long after a hand-back the path is kept
constexpr size_t TraceLimit = 600;

// The change's value as the readout prints it, short.
std::string argument(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// A value after a key's step, on the step's grid of thousandths, so that repeated steps
// reach 0 exactly instead of a tiny remainder.
double stepped(double value, double step) {
    return std::round((value + step) * 1000.0) / 1000.0;
}

std::string snapshotLine(const CameraSnapshot& s) {
    auto triple = [](const Point3& p) {
        return number(p.x) + " " + number(p.y) + " " + number(p.z);
    };
    return triple(s.position) + " " + triple(s.rotation) + " " + number(s.fieldOfView) + " " +
           number(s.pictureRatio) + " " + number(s.nearPlane) + " " + number(s.farPlane);
}

}  // namespace

Workbench::Workbench(ScriptClient& camera, Presentation& presentation)
    : camera_(camera),
      presentation_(presentation),
      mouseH_(StageWidth / 2),
      mouseV_(StageHeight / 2) {}

Answer Workbench::send(const char* method, const std::vector<double>& args) {
    const Answer answer = camera_.call(method, args);
    std::string call = std::string(method) + "(";
    for (size_t i = 0; i < args.size(); ++i) {
        call += (i > 0 ? ", " : "") + argument(args[i]);
    }
    remember(call + ")", answer);
    return answer;
}

void Workbench::remember(const std::string& call, const Answer& answer) {
    lastAnswer_ = call + " -> " + formatAnswer(answer);
    lastRefused_ = !answer.isOk();
}

bool Workbench::keyDown(unsigned key, bool shift) {
    fast_ = shift;
    const KeyBinding* binding = bindingOf(key);
    if (binding == nullptr) {
        return false;
    }
    switch (binding->command) {
        case Command::TakeOrGiveBack:
            if (holding_) {
                giveBack();
            } else {
                takeCamera();
            }
            return true;
        case Command::Legend:
            legendShown_ = !legendShown_;
            return true;
        case Command::Readout:
            readoutShown_ = !readoutShown_;
            return true;
        default:
            break;
    }
    if (!holding_) {
        return false;
    }
    heldKeys_[key] = true;
    switch (binding->command) {
        case Command::Track:
            toggleTracking();
            break;
        case Command::Roll: {
            const Point3 rotation = camera_.getTriple("getRotation");
            send("setRoll", {rotation.z + binding->step});
            break;
        }
        case Command::FieldOfView:
            changeBy("getFieldOfView", "setFieldOfView", binding->step);
            break;
        case Command::PictureRatio:
            changeBy("getPictureRatio", "setPictureRatio", binding->step);
            break;
        case Command::NearPlane:
            changeBy("getNearPlane", "setNearPlane", binding->step);
            break;
        case Command::FarPlane:
            changeBy("getFarPlane", "setFarPlane", binding->step);
            break;
        case Command::ProbeDepth:
            probeDepth_ = std::min(-1.0, probeDepth_ + binding->step);
            break;
        case Command::FlightLens:
            lastAnswer_ = setLens(camera_, ShowLens) ? "the flight's lens again"
                                                     : "the flight's lens: " + camera_.lastError();
            lastRefused_ = false;
            break;
        default:  // the moves act in tick, for as long as their keys are held
            break;
    }
    return true;
}

void Workbench::keyUp(unsigned key) {
    inputs_ += 1;
    if (key < 256) {
        heldKeys_[key] = false;
    }
    const KeyBinding* binding = bindingOf(key);
    if (binding != nullptr && binding->command == Command::Faster) {
        fast_ = false;
    }
}

void Workbench::mouseMove(int h, int v) {
    mouseH_ = h;
    mouseV_ = v;
    if (turning_) {
        turn(h, v);
    }
}

void Workbench::turnStart(int h, int v) {
    turning_ = holding_;
    turnH_ = h;
    turnV_ = v;
}

void Workbench::turnEnd() {
    inputs_ += 1;
    turning_ = false;
}

void Workbench::wheel(int notches) {
    inputs_ += 1;
    if (holding_) {
        changeBy("getFieldOfView", "setFieldOfView", -2.0 * notches);
    }
}

void Workbench::turn(int h, int v) {
    const int dh = h - turnH_;
    const int dv = v - turnV_;
    turnH_ = h;
    turnV_ = v;
    if (dh == 0 && dv == 0) {
        return;
    }
    // Dragging right turns right (the yaw grows to the left), dragging up looks up; the
    // camera's own handlers keep the heading in one turn and the pitch short of straight up.
    const Point3 rotation = camera_.getTriple("getRotation");
    const double yaw = camera_.handler("constrain", {rotation.y - dh * TurnPerPixel, -180, 180});
    const double pitch = camera_.handler("limit", {rotation.x - dv * TurnPerPixel, -89, 89});
    if (send("setRotation", {pitch, yaw, rotation.z}).isOk()) {
        tracking_ = false;  // setRotation ends the tracking
        trackingName_ = "off";
    }
}

void Workbench::changeBy(const char* getter, const char* setter, double step) {
    send(setter, {stepped(camera_.getFloat(getter), step)});
}

void Workbench::takeCamera() {
    holding_ = true;
    heldSince_ = lastClock_;
    // The camera goes on from where the flight left it, tracking what the flight tracked.
    tracking_ = !presentation_.freeLooking() && !presentation_.returning();
    trackingName_ = tracking_ ? "the flight's point" : "off";
    lastAnswer_ = "took the camera";
    lastRefused_ = false;
}

void Workbench::giveBack() {
    const CameraSnapshot handed = camera_.snapshot();
    const double lap = lapTime(lastClock_);
    heldTotal_ += lastClock_ - heldSince_;
    holding_ = false;
    turning_ = false;
    std::fill(std::begin(heldKeys_), std::end(heldKeys_), false);
    presentation_.resumeFrom(handed, lap);
    lastAnswer_ = "gave the camera back";
    lastRefused_ = false;
    trace_.clear();
    trace_.push_back("handed " + number(lap) + " " + snapshotLine(handed));
    traceUntil_ = lap + TraceSeconds;
}

void Workbench::toggleTracking() {
    if (tracking_) {
        // The same angles by setRotation: the view stays, the tracking ends.
        const Point3 rotation = camera_.getTriple("getRotation");
        if (send("setRotation", {rotation.x, rotation.y, rotation.z}).isOk()) {
            tracking_ = false;
            trackingName_ = "off";
        }
        return;
    }
    // The solid whose centre the camera shows nearest the middle of the stage.
    const Solid* nearest = nullptr;
    double best = 0.0;
    for (const Solid& solid : presentation_.scene().solids) {
        const ProjectedPoint stage = camera_.getProjection(solid.centre);
        const double off = std::hypot(stage.h - StageWidth / 2.0, stage.v - StageHeight / 2.0);
        if (stage.inView && (nearest == nullptr || off < best)) {
            nearest = &solid;
            best = off;
        }
    }
    if (nearest == nullptr) {
        lastAnswer_ = "T: no solid in view";
        lastRefused_ = true;
        return;
    }
    const Point3& c = nearest->centre;
    if (send("setInterest", {c.x, c.y, c.z}).isOk()) {
        tracking_ = true;
        trackingName_ = nearest->name;
    }
}

void Workbench::tick(double clock) {
    const double seconds = std::clamp(clock - lastClock_, 0.0, 0.1);
    lastClock_ = clock;
    frameClocks_.push_back(clock);
    if (frameClocks_.size() > 61) {
        frameClocks_.erase(frameClocks_.begin());
    }
    if (!holding_) {
        return;
    }
    double forward = 0.0, right = 0.0, up = 0.0;
    for (const KeyBinding& binding : keyBindings()) {
        if (binding.key == 0 || !heldKeys_[binding.key]) {
            continue;
        }
        if (binding.command == Command::Forward) {
            forward += binding.step;
        } else if (binding.command == Command::Right) {
            right += binding.step;
        } else if (binding.command == Command::Up) {
            up += binding.step;
        }
    }
    if ((forward == 0 && right == 0 && up == 0) || seconds <= 0.0) {
        return;
    }
    // Along the view on the level and sideways, from the camera's own angles; up is the
    // world's up.
    const Point3 position = camera_.getTriple("getPosition");
    const Point3 rotation = camera_.getTriple("getRotation");
    const double pitch = rotation.x * Pi / 180.0;
    const double yaw = rotation.y * Pi / 180.0;
    const double step = MoveSpeed * (fast_ ? 4.0 : 1.0) * seconds;
    const Point3 ahead = {-std::sin(yaw) * std::cos(pitch), std::sin(pitch),
                          -std::cos(yaw) * std::cos(pitch)};
    const Point3 side = {std::cos(yaw), 0.0, -std::sin(yaw)};
    send("setPosition", {position.x + step * (forward * ahead.x + right * side.x),
                         position.y + step * (forward * ahead.y + up),
                         position.z + step * (forward * ahead.z + right * side.z)});
}

double Workbench::lapTime(double clock) const {
    return (holding_ ? heldSince_ : clock) - heldTotal_;
}

void Workbench::afterFlight(double lapTime) {
    if (lapTime > traceUntil_ || trace_.size() >= TraceLimit) {
        return;
    }
    trace_.push_back("trace " + number(lapTime) + " " + snapshotLine(camera_.snapshot()));
}

std::string Workbench::caption() const {
    return "your camera: Tab gives it back to the flight, F1 lists the keys";
}

void Workbench::drawOverlays(BackBuffer& buffer) {
    if (readoutShown_) {
        double rate = 0.0;
        if (frameClocks_.size() > 10 && frameClocks_.back() > frameClocks_.front()) {
            rate = (frameClocks_.size() - 1) / (frameClocks_.back() - frameClocks_.front());
        }
        readout_.gather(camera_, {holding_                      ? trackingName_
                                  : presentation_.freeLooking() ? "off (the flight looks ahead)"
                                                                : "the flight's point",
                                  lastAnswer_, lastRefused_, mouseH_, mouseV_, probeDepth_, rate});
        readout_.draw(buffer);
    }
    if (legendShown_) {
        drawLegend(buffer, holding_);
    }
}

std::vector<std::pair<std::string, Point3>> Workbench::checkedPoints() {
    const Point3 position = camera_.getTriple("getPosition");
    return {{"probe", camera_.getCoordinates(mouseH_, mouseV_, position.z + probeDepth_)},
            {"interest", camera_.getTriple("getInterest")}};
}

std::string Workbench::report() const {
    std::ostringstream text;
    text << "workbench " << (holding_ ? "holding" : "lap") << "\n";
    text << "tracking " << (holding_ ? trackingName_ : "-") << "\n";
    text << "shown readout " << readoutShown_ << " legend " << legendShown_ << "\n";
    text << "inputs " << inputs_ << "\n";
    text << "mouse " << mouseH_ << " " << mouseV_ << " " << number(probeDepth_) << "\n";
    if (readoutShown_) {
        for (const std::string& line : readout_.lines()) {
            text << "readout " << line << "\n";
        }
    }
    for (const std::string& line : trace_) {
        text << line << "\n";
    }
    return text.str();
}

}  // namespace demo
