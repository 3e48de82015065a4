#include "tests/support/frame_invariants.h"

#include <cmath>
#include <vector>

namespace {

bool HasNan(const ColorRGBA& c) {
    return std::isnan(c.r + c.g + c.b + c.a);
}

const char* CheckRecords(const FrameState& frame, const std::set<HostAddress>& listed) {
    const ActorTracker& tracker = frame.tracker;
    if (!frame.driver.sceneActive && tracker.records.capacity() + tracker.arrivals.capacity()) {
        return "an inactive scene's tracker kept records or storage";
    }
    for (const TrackedActor& record : tracker.records) {
        if (listed.count(record.address) == 0) {
            return "a record for an address not listed since the tracker was emptied";
        }
    }
    return nullptr;
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

// The order of a shown frame's calls is the overlay's unit test's. What garbage can still
// break: a call on a frame that may not draw, or after a state block that could not be
// made; a block left alive; a vertex the device cannot place.
const char* CheckDeviceCalls(const FakeDevice& device, bool mayDraw) {
    const std::vector<DeviceCall>& c = device.calls;
    const bool blockMade = !c.empty() && c[0].kind == DeviceCall::CreateStateBlock && c[0].pointer;
    if (c.size() > (!mayDraw ? 0 : blockMade ? c.size() : 1) || device.block.live) {
        return "device calls on a frame that may not draw or without a state block, or the "
               "block left alive";
    }
    for (const OverlayVertex& v : device.vertices) {
        if (!std::isfinite(v.x + v.y + v.z)) {
            return "a vertex that is not a finite number reached the device";
        }
    }
    return nullptr;
}

} // namespace

std::string CheckFrameInvariants(const FrameState& frame, const std::set<HostAddress>& listed,
                                 const FakeDevice& device, bool deviceHanded, bool faulted) {
    const bool barsShown = frame.driver.sceneActive && !frame.driver.suppressLatch && !faulted;
    const char* failure = CheckRecords(frame, listed);
    if (!failure && barsShown) {
        failure = CheckBarList(frame.list);
    }
    if (!failure) {
        failure = CheckDeviceCalls(device, barsShown && deviceHanded);
    }
    return failure ? failure : "";
}
