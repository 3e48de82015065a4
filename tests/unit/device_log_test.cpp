// Every device call of frames that hold every kind of bar, down to the vertex bytes and
// matrix contents, kept byte for byte against a log recorded once. Drawing may get cheaper;
// what the device sees may not change.
// To record the log anew after a deliberate change: ACTORBARS_RECORD_DEVICE_LOG=1.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "module_fixture.h"
#include "tests/support/recording_device.h"

using namespace fakehost;

namespace {

const std::string logPath = std::string(ACTORBARS_SOURCE_DIR) + "/tests/unit/data/bar_kinds.log";

constexpr float frameSeconds = 1.0f / 60.0f;

template <class T> std::string Hex(const T& value) {
    unsigned char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    std::string text;
    char pair[3];
    for (unsigned char b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        text += pair;
    }
    return text;
}

// One line a call; matrices and vertices as the bytes the device was handed.
void WriteCalls(std::ostringstream& log, const RecordingDevice& device) {
    std::size_t transform = 0;
    for (const DeviceCall& call : device.calls) {
        log << call.name << ' ' << call.a << ' ' << call.b << ' ' << call.c;
        if (call.name == "SetTransform") {
            log << ' ' << Hex(device.transforms.at(transform++));
        }
        for (const OverlayVertex& v : call.vertices) {
            log << ' ' << Hex(v);
        }
        log << '\n';
    }
}

// Standing at view depth `depth`, `side` units right and `height` units up of the line of
// sight, through an identity view matrix.
Actor StandingAt(std::uint32_t slot, float side, float height, float depth, float damage) {
    Actor a;
    a.address = ActorAt(slot);
    a.damageRatio = damage;
    a.position[0] = -height;
    a.position[1] = depth - 1.15f;
    a.position[2] = side;
    return a;
}

// A perspective camera: the view transform the device gets is a real product.
D3DXMATRIX Perspective() {
    D3DXMATRIX p{};
    p.m[0][0] = 0.974278f;
    p.m[1][1] = 1.732051f;
    p.m[2][2] = 1.0005f;
    p.m[2][3] = 1.0f;
    p.m[3][2] = -1.0005f;
    return p;
}

class DeviceLogTest : public ModuleTest {
  protected:
    RecordingDevice device;
    std::ostringstream log;

    // Every kind of bar: full, each health band, wounded with a trail, dead and blinking,
    // fading in near and out far, and one hidden by no longer being engaged.
    std::vector<Actor> Scene(float woundedDamage) {
        std::vector<Actor> actors = {
            StandingAt(0, 0.0f, 0.0f, 10.0f, 0.0f),           // full
            StandingAt(1, -2.0f, 0.5f, 12.0f, woundedDamage), // wounded: trail after the hit
            StandingAt(2, 2.0f, 0.0f, 8.0f, 1.0f),            // dead: blinks, then fades
            StandingAt(3, 0.5f, -0.2f, 3.5f, 0.1f),           // fading in, near
            StandingAt(4, -6.0f, 1.0f, 90.0f, 0.35f),         // fading out, far
            StandingAt(5, 3.0f, 1.5f, 20.0f, 0.25f),
            StandingAt(6, -3.0f, 1.5f, 22.0f, 0.45f),
            StandingAt(7, 4.0f, -1.0f, 30.0f, 0.65f),
        };
        actors[7].engaged = 0; // gone two seconds later
        return actors;
    }

    void RunFrames(int frames, float woundedDamage, float& clock) {
        for (int i = 0; i < frames; ++i) {
            clock += frameSeconds;
            SetClock(clock);
            SetActors(Scene(woundedDamage));
            device.calls.clear();
            device.transforms.clear();
            DrawFrame(module);
        }
    }

    void Record(const char* title) {
        log << "# " << title << '\n';
        WriteCalls(log, device);
    }
};

TEST_F(DeviceLogTest, EveryKindOfBarReachesTheDeviceAsRecorded) {
    SetUpShowingHost();
    SetViewProjMatrix(Perspective());
    SetDevice(&device);
    float clock = 50.0f;

    RunFrames(1, 0.0f, clock);
    Record("first frame");
    RunFrames(2, 0.55f, clock);
    Record("just hit: the trail holds");
    RunFrames(40, 0.55f, clock);
    Record("the trail drains; the dead bar blinks");
    RunFrames(30, 0.55f, clock);
    Record("the dead bar fades out");
    RunFrames(60, 0.55f, clock);
    Record("dead and disengaged bars gone");

    // A line strip longer than the renderer takes, one too short to draw, and the shortest.
    device.calls.clear();
    device.transforms.clear();
    D3DXVECTOR4 p[70];
    for (int i = 0; i < 70; ++i) {
        p[i] = {0.1f * static_cast<float>(i), 0.5f, 7.0f, 1.0f};
    }
    const ColorRGBA white = {1.0f, 1.0f, 1.0f, 0.7f};
    const D3DXMATRIX view = Identity();
    OverlayRenderer renderer;
    BeginOverlay(renderer, &device, &view);
    DrawPolyline(renderer, white, 70, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9],
                 p[10], p[11], p[12], p[13], p[14], p[15], p[16], p[17], p[18], p[19], p[20], p[21],
                 p[22], p[23], p[24], p[25], p[26], p[27], p[28], p[29], p[30], p[31], p[32], p[33],
                 p[34], p[35], p[36], p[37], p[38], p[39], p[40], p[41], p[42], p[43], p[44], p[45],
                 p[46], p[47], p[48], p[49], p[50], p[51], p[52], p[53], p[54], p[55], p[56], p[57],
                 p[58], p[59], p[60], p[61], p[62], p[63], p[64], p[65], p[66], p[67], p[68],
                 p[69]);
    DrawPolyline(renderer, white, 1, p[0]);
    DrawPolyline(renderer, white, 2, p[0], p[1]);
    EndOverlay(renderer);
    Record("polylines: capped at 64 points, too short, shortest");

    if (std::getenv("ACTORBARS_RECORD_DEVICE_LOG") != nullptr) {
        std::ofstream(logPath, std::ios::binary) << log.str();
        GTEST_SKIP() << "recorded " << logPath;
    }
    std::ifstream file(logPath, std::ios::binary);
    ASSERT_TRUE(file) << "no recorded log at " << logPath;
    std::stringstream recorded;
    recorded << file.rdbuf();
    std::istringstream want(recorded.str()), got(log.str());
    std::string wantLine, gotLine;
    for (int line = 1; std::getline(want, wantLine); ++line) {
        ASSERT_TRUE(std::getline(got, gotLine)) << "the log ends before line " << line;
        ASSERT_EQ(gotLine, wantLine) << "first difference at line " << line;
    }
    EXPECT_FALSE(std::getline(got, gotLine)) << "the log goes on past the recording";
}

} // namespace
