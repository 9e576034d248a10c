#include "demo/presentation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace demo {

namespace {

// How far in front of the camera a click drops its marker, as a camera-space depth.
constexpr double MarkerDepth = -15.0;
constexpr size_t MaximumMarkers = 24;
// How far the free look turns from the tracked centre towards the flight's heading.
constexpr double LookAhead = 0.6;
// How long the camera takes to glide back onto the flight when it is handed back.
constexpr double ReturnSeconds = 2.0;

// Depth cueing: the blend level (255 at the near plane, 0 at the far plane) mixes the line's
// colour with the background; far lines keep a trace so the grid's end stays visible.
Rgb cue(Rgb colour, int level, double fade) {
    const int step = std::clamp(level, 0, 255) / 8;  // 32 shades: few pens, no visible banding
    const double weight = 0.18 + 0.82 * step / 31.0;
    auto mix = [&](uint8_t c, uint8_t back) {
        return static_cast<uint8_t>(std::lround((back + (c - back) * weight) * fade));
    };
    return {mix(colour.r, Background.r), mix(colour.g, Background.g), mix(colour.b, Background.b)};
}

Rgb faded(Rgb colour, double fade) {
    return {static_cast<uint8_t>(std::lround(colour.r * fade)),
            static_cast<uint8_t>(std::lround(colour.g * fade)),
            static_cast<uint8_t>(std::lround(colour.b * fade))};
}

}  // namespace

bool setLens(ScriptClient& camera, const Lens& lens) {
    bool ok = camera.set("setFieldOfView", {lens.fieldOfView});
    ok = camera.set("setPictureRatio", {lens.pictureRatio}) && ok;
    // The near plane may not lie beyond the far plane, nor the far plane at or before the near
    // one: the plane that keeps the pair valid goes first. A plane already in place is left.
    const double nearNow = camera.getFloat("getNearPlane");
    const double farNow = camera.getFloat("getFarPlane");
    auto setNear = [&] {
        return lens.nearPlane == nearNow || camera.set("setNearPlane", {lens.nearPlane});
    };
    auto setFar = [&] {
        return lens.farPlane == farNow || camera.set("setFarPlane", {lens.farPlane});
    };
    if (lens.nearPlane <= farNow) {
        ok = setNear() && ok;
        ok = setFar() && ok;
    } else {
        ok = setFar() && ok;
        ok = setNear() && ok;
    }
    return ok;
}

Presentation::Presentation(ScriptClient& camera) : camera_(camera), scene_(buildScene(0.0)) {}

bool Presentation::setUpCamera() {
    return camera_.set("setFieldOfView", {ShowLens.fieldOfView}) &&
           camera_.set("setPictureRatio", {ShowLens.pictureRatio}) &&
           camera_.set("setFarPlane", {ShowLens.farPlane}) &&
           camera_.set("setNearPlane", {ShowLens.nearPlane});
}

void Presentation::moveCamera(double time) {
    const CameraPose pose = flightAt(time);
    freeLook_ = pose.freeLook;
    if (returning_) {
        const double share = smoothStep(resumedAt_, ReturnSeconds, time);
        if (share < 1.0) {
            glide(pose, share);
            return;
        }
        returning_ = false;
        setLens(camera_, ShowLens);
    }
    fly(pose, pose.position);
}

void Presentation::fly(const CameraPose& pose, const Point3& position) {
    // setInterest starts tracking again and setPosition, while tracking, re-aims the camera.
    camera_.set("setInterest", {pose.interest.x, pose.interest.y, pose.interest.z});
    camera_.set("setPosition", {position.x, position.y, position.z});
    if (pose.freeLook <= 0.0) {
        // setRoll banks the tracking camera without stopping it tracking.
        camera_.set("setRoll", {pose.bank});
        return;
    }
    // Looking ahead: turn from the aimed angles most of the way towards the heading, so the
    // scene stays at the side of the picture; setRotation stops the tracking until the next
    // setInterest. constrain takes the shorter way round.
    const Point3 aimed = camera_.getTriple("getRotation");  // pitch, yaw, roll in degrees
    const double turn = camera_.handler("constrain", {pose.flightYaw - aimed.y, -180.0, 180.0});
    camera_.set("setRotation", {aimed.x + pose.freeLook * (pose.flightPitch - aimed.x),
                                aimed.y + pose.freeLook * LookAhead * turn, pose.bank});
}

void Presentation::resumeFrom(const CameraSnapshot& handed, double time) {
    handed_ = handed;
    resumedAt_ = time;
    returning_ = true;
}

void Presentation::glide(const CameraPose& pose, double share) {
    auto mix = [share](double from, double to) { return from + share * (to - from); };
    const Point3& from = handed_.position;
    const Point3 position = {mix(from.x, pose.position.x), mix(from.y, pose.position.y),
                             mix(from.z, pose.position.z)};
    // The angles the flight would have from here, then the same share of the way there from
    // the handed-back angles, each the shorter way round.
    fly(pose, position);
    const Point3 target = camera_.getTriple("getRotation");
    auto turn = [&](double from, double to) {
        return from + share * camera_.handler("constrain", {to - from, -180.0, 180.0});
    };
    camera_.set("setRotation",
                {turn(handed_.rotation.x, target.x), turn(handed_.rotation.y, target.y),
                 turn(handed_.rotation.z, target.z)});
    setLens(camera_,
            {mix(handed_.fieldOfView, ShowLens.fieldOfView),
             mix(handed_.pictureRatio, ShowLens.pictureRatio),
             mix(handed_.nearPlane, ShowLens.nearPlane), mix(handed_.farPlane, ShowLens.farPlane)});
}

Presentation::Projected Presentation::project(const Point3& world) {
    Projected projected{camera_.getProjection(world), 0};
    projected.level = camera_.getBlendLevel();  // of the projection just made
    return projected;
}

void Presentation::drawSolid(BackBuffer& buffer, const Solid& solid, double fade) {
    std::vector<Projected> points;
    points.reserve(solid.vertices.size());
    for (const Point3& vertex : solid.vertices) {
        points.push_back(project(vertex));
    }
    for (const Edge& edge : solid.edges) {
        const Projected& a = points[static_cast<size_t>(edge.a)];
        const Projected& b = points[static_cast<size_t>(edge.b)];
        // An end outside the camera's depth range comes back as the off-stage marker: the
        // line is left out rather than drawn towards it.
        if (!a.stage.inView || !b.stage.inView) {
            continue;
        }
        buffer.line(a.stage.h, a.stage.v, b.stage.h, b.stage.v,
                    cue(solid.colour, (a.level + b.level) / 2, fade));
    }
}

void Presentation::drawScene(BackBuffer& buffer, double time, double fade,
                             const std::string& caption) {
    scene_ = buildScene(time);
    buffer.clear(faded(Background, fade));
    drawSolid(buffer, scene_.grid, fade);

    // Painter's order: the farthest solid first. getDistance answers the depth of the last
    // projection, negative in front of the camera, so the most negative is the farthest.
    std::vector<std::pair<double, const Solid*>> order;
    for (const Solid& solid : scene_.solids) {
        camera_.getProjection(solid.centre);
        order.push_back({camera_.getDistance(), &solid});
    }
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : order) {
        drawSolid(buffer, *entry.second, fade);
    }

    for (const Marker& marker : markers_) {
        const double arm = 0.7;
        Solid jack{"marker", {}, {}, MarkerColour, marker.world};
        const Point3& w = marker.world;
        jack.vertices = {{w.x - arm, w.y, w.z}, {w.x + arm, w.y, w.z}, {w.x, w.y - arm, w.z},
                         {w.x, w.y + arm, w.z}, {w.x, w.y, w.z - arm}, {w.x, w.y, w.z + arm}};
        jack.edges = {{0, 1}, {2, 3}, {4, 5}};
        drawSolid(buffer, jack, fade);
        const ProjectedPoint centre = camera_.getProjection(w);
        if (centre.inView) {
            buffer.square(centre.h, centre.v, 5, faded(MarkerColour, fade));
        }
    }

    const Rgb ink = faded({200, 210, 230}, fade);
    buffer.text(16, 12, "ORVANTA  virtual camera", ink);
    buffer.text(16, StageHeight - 28, caption.c_str(), ink);
    buffer.text(StageWidth - 250, StageHeight - 28, "click: drop a marker    Esc: end", ink);
}

std::string Presentation::caption(double time) const {
    char line[96];
    std::snprintf(line, sizeof line, "%s   t = %.1f s",
                  returning_        ? "back to the flight (setPosition, setRotation)"
                  : freeLook_ > 0.0 ? "looking along the flight (setRotation)"
                                    : "tracking the centre (setPosition, setRoll)",
                  time);
    return line;
}

void Presentation::drawBeacons(BackBuffer& buffer, double fade) {
    for (const auto& beacon : scene_.beacons) {
        const ProjectedPoint stage = camera_.getProjection(beacon.second);
        if (stage.inView) {
            buffer.square(stage.h, stage.v, 9, faded(BeaconColour, fade));
        }
    }
}

void Presentation::drop(int h, int v) {
    if (markers_.size() >= MaximumMarkers) {
        markers_.erase(markers_.begin());
    }
    // getCoordinates takes the depth as a world z: the camera's own z plus the depth.
    const Point3 position = camera_.getTriple("getPosition");
    const Point3 world = camera_.getCoordinates(h, v, position.z + MarkerDepth);
    markers_.push_back({world, h, v});
}

std::string Presentation::report(double time,
                                 const std::vector<std::pair<std::string, Point3>>& more) {
    std::ostringstream text;
    auto triple = [](const Point3& p) {
        return number(p.x) + " " + number(p.y) + " " + number(p.z);
    };
    text << "time " << number(time) << "\n";
    text << "mode " << (returning_ ? "return" : freeLook_ > 0.0 ? "free-look" : "tracking") << "\n";
    text << "stage " << StageWidth << " " << StageHeight << "\n";
    text << "position " << triple(camera_.getTriple("getPosition")) << "\n";
    text << "interest " << triple(camera_.getTriple("getInterest")) << "\n";
    text << "rotation " << triple(camera_.getTriple("getRotation")) << "\n";
    text << "fieldOfView " << number(camera_.getFloat("getFieldOfView")) << "\n";
    text << "pictureRatio " << number(camera_.getFloat("getPictureRatio")) << "\n";
    text << "nearPlane " << number(camera_.getFloat("getNearPlane")) << "\n";
    text << "farPlane " << number(camera_.getFloat("getFarPlane")) << "\n";
    // point <name> <world x y z> <h v> <depth> <blend level> <in view 1/0>
    auto point = [&](const std::string& name, const Point3& world) {
        const ProjectedPoint stage = camera_.getProjection(world);
        const double depth = camera_.getDistance();
        const int level = camera_.getBlendLevel();
        text << "point " << name << " " << triple(world) << " " << number(stage.h) << " "
             << number(stage.v) << " " << number(depth) << " " << level << " "
             << (stage.inView ? 1 : 0) << "\n";
    };
    for (const auto& beacon : scene_.beacons) {
        point(beacon.first, beacon.second);
    }
    for (const Solid& solid : scene_.solids) {
        point(solid.name + "-0", solid.vertices.front());
        point(solid.name + "-last", solid.vertices.back());
    }
    for (const auto& named : more) {
        point(named.first, named.second);
    }
    for (size_t i = 0; i < markers_.size(); ++i) {
        point("marker-" + std::to_string(i), markers_[i].world);
        text << "click " << i << " " << markers_[i].clickH << " " << markers_[i].clickV << "\n";
    }
    text << "calls " << camera_.callCount() << "\n";
    text << "error " << (camera_.lastError().empty() ? "none" : camera_.lastError()) << "\n";
    return text.str();
}

}  // namespace demo
