#include "tests/support/frame_invariants.h"

#include <algorithm>
#include <cmath>

#include "host/host_game.h"
#include "tests/support/fake_host.h"

namespace frameinvariants {

namespace {

std::size_t StaleRecords(const FrameState& frame, const std::vector<HostAddress>& listed) {
    std::size_t stale = 0;
    for (const auto& record : frame.tracker.records) {
        stale += !std::binary_search(listed.begin(), listed.end(), record.first);
    }
    return stale;
}

const char* CheckTracker(const Watch& watch, const FrameState& frame, bool barsShown) {
    if (!frame.driver.sceneActive && !frame.tracker.records.empty()) {
        return "records survived an inactive scene";
    }
    for (const auto& record : frame.tracker.records) {
        if (watch.listedSinceReset.count(record.first) == 0) {
            return "a record for an address not listed since the tracker was emptied";
        }
    }
    // One departed record goes per update: stale records never pile up faster than the
    // host drops actors.
    const std::size_t expected = watch.staleBefore - (watch.staleBefore > 0);
    if (barsShown && !watch.listedNow.empty() && StaleRecords(frame, watch.listedNow) != expected) {
        return "departed records not pruned one per update";
    }
    return nullptr;
}

bool HasNan(const ColorRGBA& c) {
    return std::isnan(c.r) || std::isnan(c.g) || std::isnan(c.b) || std::isnan(c.a);
}

const char* CheckBarList(const BarList& list) {
    float previousDepth = INFINITY;
    for (const BarEntry& e : list) {
        if (std::isnan(e.anchor.z) || HasNan(e.frameColor) || HasNan(e.fillColor) ||
            HasNan(e.trailColor) || !(e.health >= 0.0f) || !(e.trailHealth >= 0.0f)) {
            return "a bar with a NaN depth or colour, or a NaN or negative health";
        }
        if (e.anchor.z > previousDepth) {
            return "the list is not sorted far to near";
        }
        previousDepth = e.anchor.z;
    }
    return nullptr;
}

// A shown frame with a device opens one state block first and applies, then releases it
// last; a frame whose block could not be made touches nothing else.
const char* CheckDeviceCalls(const FakeDevice& device, bool mayDraw) {
    const std::vector<DeviceCall>& c = device.calls;
    const std::size_t n = c.size();
    if (!mayDraw || (n > 0 && c[0].kind == DeviceCall::CreateStateBlock && !c[0].pointer)) {
        return n > static_cast<std::size_t>(mayDraw) ? "device calls without a state block"
                                                     : nullptr;
    }
    if (n < 3 || c[0].kind != DeviceCall::CreateStateBlock || c[n - 2].kind != DeviceCall::Apply ||
        c[n - 1].kind != DeviceCall::Release || c[n - 2].a != 1 || device.block.live) {
        return "a shown frame's state block not created first, applied and released last";
    }
    for (std::size_t i = 1; i + 2 < n; ++i) {
        if (c[i].kind == DeviceCall::CreateStateBlock || c[i].kind == DeviceCall::Apply ||
            c[i].kind == DeviceCall::Release) {
            return "a second state block call within the frame";
        }
        if (c[i].kind != DeviceCall::DrawPrimitiveUP) {
            continue;
        }
        if (c[i].b == 0) {
            return "a draw of no primitives";
        }
        const std::size_t count = c[i].a == D3DPT_LINESTRIP ? c[i].b + 1 : c[i].b * 3;
        for (std::size_t v = 0; v < count; ++v) {
            const OverlayVertex& vertex = device.vertices[c[i].firstVertex + v];
            if (std::isnan(vertex.x) || std::isnan(vertex.y) || std::isnan(vertex.z)) {
                return "a NaN vertex reached the device";
            }
        }
    }
    return nullptr;
}

} // namespace

void BeforeFrame(Watch& watch, const FrameState& frame) {
    const std::int32_t count = ReadHostActorCount();
    const HostAddress list = ReadHostPointer(hostlayout::actorListPointer);
    watch.listedNow.clear();
    // Up to the freed page, where a list that runs on ends the frame.
    for (HostAddress at = list; at < list + 4 * HostAddress(std::max(count, 0)); at += 4) {
        if (at / 4096 == fakehost::unmappedPage / 4096) {
            break;
        }
        watch.listedNow.push_back(ReadHost<HostAddress>(at));
    }
    std::sort(watch.listedNow.begin(), watch.listedNow.end());
    watch.listedSinceReset.insert(watch.listedNow.begin(), watch.listedNow.end());
    watch.staleBefore = StaleRecords(frame, watch.listedNow);
}

std::string AfterFrame(Watch& watch, const FrameState& frame, const FakeDevice& device,
                       bool deviceHanded, bool faulted) {
    const bool barsShown = frame.driver.sceneActive && !frame.driver.suppressLatch && !faulted;
    const char* failure = CheckTracker(watch, frame, barsShown);
    if (!failure && barsShown) {
        failure = CheckBarList(frame.list);
    }
    if (!failure) {
        failure = CheckDeviceCalls(device, barsShown && deviceHanded);
    }
    if (!frame.driver.sceneActive) {
        watch.listedSinceReset.clear();
    }
    return failure ? failure : "";
}

} // namespace frameinvariants
