// The disco scene's dancers: figures of three parts in the club's clothes, moving on the
// soundtrack's beat, dipping and swaying, their arms swinging higher as the night goes on.
#include "scene_disco.h"
#include "textures.h"

#include <cmath>
#include <string>

namespace pelx::datagen::disco {

namespace {

// The soundtrack's beat in scene seconds: 0.6 s, on a grid that puts a beat on the strobe's
// first flash at 25 s, then 0.4 s from 55 s, when the strobe quickens.
double beatsAt(double t) {
    return t < 55 ? (t - 25) / 0.6 : (55 - 25) / 0.6 + (t - 55) / 0.4;
}
// Key frames on every half beat, from the first after frame 0 to the scene's end.
std::vector<int> halfBeatFrames() {
    std::vector<int> frames{0};
    const int end = frameAt(SECONDS);
    for (int f = 750 - 9 * 83; f < 1650; f += 9) frames.push_back(f);
    for (int f = 1650; f < end; f += 6) frames.push_back(f);
    frames.push_back(end);
    return frames;
}

// The figures' clothes: a 4 x 4 sheet of swatches (data/dancers.jpg): row 0 skin, rows 1 and 2
// shirts, row 3 trousers and skirts.
void paintSwatch(MeshData& mesh, size_t from, int column, int row) {
    for (size_t i = from; i < mesh.uvs.size(); ++i)
        mesh.uvs[i] = {static_cast<float>(column / 4.0 + 0.05 + 0.15 * (i % 2)),
                       static_cast<float>(row / 4.0 + 0.05 + 0.15 * ((i / 2) % 2))};
}
void addPart(MeshData& mesh, const MeshData& part, int column, int row) {
    const size_t from = mesh.uvs.size();
    mesh.append(part);
    paintSwatch(mesh, from, column, row);
}

struct Figure {
    double x, z;
    int facing;   // quarter turns from facing +z: 1 faces +x, 2 faces -z, 3 faces -x
    int style;    // 0 both arms together, 1 arms in turn, 2 one arm waving
    double phase; // in beats
    int skin, shirtColumn, shirtRow, legs;
};

// Someone about 160 units tall (the bar is 105 high), standing at the origin facing +z, in
// three parts: the legs, which stay planted, the body from the hips up, which dips and sways
// on the legs, and the arms, hanging from shoulders at (+-20, 130, 0).
MeshData figureLegs(const Figure& f) {
    MeshData m;
    // Their tops are inside the hips, their soles on the floor.
    const unsigned sides = BOX_ALL & ~(BOX_BOTTOM | BOX_TOP);
    addPart(m, box({-11, 0, -5.5}, {-3, 76, 5.5}, 40, 1e9, sides), f.legs, 3);
    addPart(m, box({3, 0, -5.5}, {11, 76, 5.5}, 40, 1e9, sides), f.legs, 3);
    return m;
}
MeshData figureBody(const Figure& f) {
    MeshData m;
    // Faces inside the next part up are left out: each would be filled and then hidden.
    addPart(m, box({-14, 66, -8}, {14, 90, 8}, 40, 1e9, BOX_ALL & ~BOX_TOP), f.legs, 3);
    addPart(m, box({-17, 88, -9}, {17, 134, 9}, 40), f.shirtColumn, f.shirtRow);
    addPart(m, box({-4, 132, -4}, {4, 141, 4}, 40, 1e9, BOX_ALL & ~(BOX_BOTTOM | BOX_TOP)), f.skin, 0);
    addPart(m, sphere({0, 151, 1}, 11, 6, 4), f.skin, 0);
    return m;
}
MeshData figureArm(const Figure& f, double side) {
    MeshData m;
    const double x = side * 21.5; // a unit clear of the body
    addPart(m, box({x - 3.2, 100, -3.7}, {x + 3.2, 133, 3.7}, 40), f.shirtColumn, f.shirtRow);
    // The forearm and the hand in one.
    addPart(m, box({x - 2.6, 61, -3}, {x + 2.6, 102, 3}, 40, 1e9, BOX_ALL & ~BOX_TOP), f.skin, 0);
    return m;
}

struct Pose {
    double bob, lean, right, left; // units down; degrees about the facing axis
};

// How a figure moves on the beat: it dips on every beat and sways from side to side over two;
// its arms swing higher as the night goes on, over its head from 55 s.
Pose poseAt(const Figure& f, double t) {
    const double b = beatsAt(t) + f.phase;
    const double dip = 0.5 + 0.5 * std::cos(2 * PI * b);
    const int energy = t < 25 ? 0 : t < 55 ? 1 : t < 85 ? 2 : 3;
    const double depth[] = {3, 5, 6, 7}, low[] = {12, 25, 50, 110}, swing[] = {18, 40, 70, 40};
    Pose p{-depth[energy] * dip, 5 * std::sin(PI * b), 0, 0};
    const double alternate = 0.5 + 0.5 * std::cos(PI * b);
    switch (f.style) {
    case 0:
        p.right = p.left = low[energy] + swing[energy] * dip;
        break;
    case 1:
        p.right = low[energy] + swing[energy] * alternate;
        p.left = low[energy] + swing[energy] * (1 - alternate);
        break;
    default:
        p.right = 150 + 20 * std::sin(PI * b);
        p.left = 10 + 8 * dip;
        break;
    }
    return p;
}

// One figure's body and arms, moving on the beat; its legs go into `legs`, which stands still.
void addFigure(SceneBuilder& scene, MeshData& legs, int n, const Figure& f) {
    const double yaw = PI / 2 * f.facing;
    // Standing on the dance floor or, off it, on the club's floor.
    const bool onFloor = std::fabs(f.x) <= FLOOR_HALF && std::fabs(f.z) <= FLOOR_HALF;
    const Vec3 ground{f.x, onFloor ? FLOOR_TOP : 0, f.z};
    const Vec3 forward{std::sin(yaw), 0, std::cos(yaw)};
    // Most cameras look at the crowd from outside its ring and from above.
    const Vec3 out = normalized(Vec3{f.x, 0, f.z}) + Vec3{0, 0.5, 0};
    auto place = [&](const MeshData& m) {
        return nearSideFirst(translated(turnedY(m, {}, yaw), ground), out);
    };
    auto at = [&](Vec3 local) {
        MeshData point;
        point.addVertex(local, 0, 0);
        return place(point).positions[0];
    };
    legs.append(place(figureLegs(f)));

    // The body sways about the hips; the shoulders go with it.
    const Vec3 hips = at({0, 74, 0}), rightShoulder = at({20, 130, 0}), leftShoulder = at({-20, 130, 0});
    std::vector<PositionKey> bodyPath, rightPath, leftPath;
    std::vector<RotationKey> bodyTurns, rightTurns, leftTurns;
    Pose before{};
    for (int frame : halfBeatFrames()) {
        // The first key is the pose the meshes are built in.
        const Pose p = frame == 0 ? Pose{} : poseAt(f, frame / 30.0);
        const Vec3 down{0, p.bob, 0};
        bodyPath.push_back({frame, hips + down});
        rightPath.push_back({frame, turnedAbout(rightShoulder, hips, forward, p.lean) + down});
        leftPath.push_back({frame, turnedAbout(leftShoulder, hips, forward, p.lean) + down});
        bodyTurns.push_back({frame, p.lean - before.lean, forward});
        // Raising the right arm turns it about the facing axis one way, the left the other.
        rightTurns.push_back({frame, (p.lean + p.right) - (before.lean + before.right), forward});
        leftTurns.push_back({frame, (p.lean - p.left) - (before.lean - before.left), forward});
        before = p;
    }
    // Named to come before the dance floor in the file, so they are drawn first and hide the
    // floor behind them instead of being drawn over it.
    const std::string id = std::to_string(n);
    scene.addAnimatedMesh("!crowd" + id, place(figureBody(f)), TEX_DANCERS, bodyPath, bodyTurns);
    scene.addAnimatedMesh("!crowdR" + id, place(figureArm(f, 1)), TEX_DANCERS, rightPath, rightTurns);
    scene.addAnimatedMesh("!crowdL" + id, place(figureArm(f, -1)), TEX_DANCERS, leftPath, leftTurns);
}

} // namespace

void addCrowd(SceneBuilder& scene) {
    // A loose ring round the middle of the floor, which the camera under the ball keeps clear,
    // and the DJ behind the booth.
    const Figure crowd[] = {
        {-145, -84, 1, 0, 0.00, 0, 1, 1, 0}, {-62, -154, 0, 1, 0.25, 1, 2, 1, 1},
        {70, -141, 0, 2, 0.50, 2, 3, 1, 2},  {154, -48, 3, 0, 0.10, 3, 0, 2, 0},
        {141, 84, 3, 1, 0.60, 0, 1, 2, 1},   {40, 154, 2, 0, 0.35, 1, 2, 2, 3},
        {-84, 141, 2, 2, 0.80, 2, 3, 2, 0},  {-163, 40, 1, 1, 0.15, 3, 0, 1, 2},
        {0, -455, 0, 2, 0.00, 2, 0, 2, 1},
    };
    MeshData legs;
    int n = 1;
    for (const Figure& f : crowd) addFigure(scene, legs, n++, f);
    scene.addMesh("!crowdlegs", legs, TEX_DANCERS);
}

} // namespace pelx::datagen::disco
