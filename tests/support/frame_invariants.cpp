#include "tests/support/frame_invariants.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

bool HasNan(const ColorRGBA& c) {
    return std::isnan(c.r + c.g + c.b + c.a);
}

const char* CheckBarList(const BarList& list) {
    for (const BarEntry& e : list.entries) {
        if (std::isnan(e.anchor.z) || HasNan(e.frameColor) || HasNan(e.fillColor) ||
            HasNan(e.trailColor) || !(e.health >= 0.0f) || !(e.trailHealth >= 0.0f)) {
            return "a bar with a NaN depth or colour, or a NaN or negative health";
        }
    }
    std::vector<bool> placed(list.entries.size());
    float previousDepth = INFINITY;
    for (const BarOrder bar : list.farToNear) {
        const std::uint32_t entry = EntryOf(bar);
        if (entry >= placed.size() || placed[entry]) {
            return "the draw order does not hold each bar once";
        }
        placed[entry] = true;
        if (list.entries[entry].anchor.z > previousDepth) {
            return "the draw order is not far to near";
        }
        previousDepth = list.entries[entry].anchor.z;
    }
    return list.farToNear.size() == placed.size() ? nullptr : "a bar left out of the draw order";
}

bool IsStateBlockCall(const DeviceCall& call) {
    return call.kind == DeviceCall::CreateStateBlock || call.kind == DeviceCall::Apply ||
           call.kind == DeviceCall::Release;
}

// A shown frame with a device opens one state block first and applies, then releases it
// last; a frame whose block could not be made touches nothing else.
const char* CheckDeviceCalls(const FakeDevice& device, bool mayDraw) {
    const std::vector<DeviceCall>& c = device.calls;
    const std::size_t n = c.size();
    if (!mayDraw || (n > 0 && c[0].kind == DeviceCall::CreateStateBlock && !c[0].pointer)) {
        return n > std::size_t(mayDraw) ? "device calls without a state block" : nullptr;
    }
    if (n < 3 || c[0].kind != DeviceCall::CreateStateBlock || c[n - 2].kind != DeviceCall::Apply ||
        c[n - 1].kind != DeviceCall::Release || c[n - 2].a != 1 || device.block.live ||
        std::any_of(c.begin() + 1, c.end() - 2, IsStateBlockCall)) {
        return "a shown frame's one state block not created first, applied and released last";
    }
    for (const DeviceCall& draw : c) {
        if (draw.kind != DeviceCall::DrawPrimitiveUP) {
            continue;
        }
        if (draw.b == 0) {
            return "a draw of no primitives";
        }
        const std::size_t count = draw.a == D3DPT_LINESTRIP ? draw.b + 1 : draw.b * 3;
        for (std::size_t v = draw.firstVertex; v < draw.firstVertex + count; ++v) {
            const OverlayVertex& vertex = device.vertices[v];
            if (!std::isfinite(vertex.x) || !std::isfinite(vertex.y) || !std::isfinite(vertex.z)) {
                return "a vertex that is not a finite number reached the device";
            }
        }
    }
    return nullptr;
}

} // namespace

std::string CheckFrameInvariants(const FrameState& frame, const std::set<HostAddress>& listed,
                                 const FakeDevice& device, bool deviceHanded, bool faulted) {
    const bool barsShown = frame.driver.sceneActive && !frame.driver.suppressLatch && !faulted;
    const char* failure = frame.driver.sceneActive || frame.tracker.records.empty()
                              ? nullptr
                              : "records survived an inactive scene";
    for (const auto& record : frame.tracker.records) {
        if (listed.count(record.address) == 0) {
            failure = "a record for an address not listed since the tracker was emptied";
        }
    }
    if (!failure && barsShown) {
        failure = CheckBarList(frame.list);
    }
    if (!failure) {
        failure = CheckDeviceCalls(device, barsShown && deviceHanded);
    }
    return failure ? failure : "";
}
