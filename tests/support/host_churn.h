// A host that misbehaves the way games do, frame after frame: actors come, take damage,
// die, revive, stop being engaged, change kind, lose their stats, leave (several at once
// now and then) and come back at their old address or a fresh one; the list reorders,
// repeats an address or goes to zero or below; scenes close and reopen; status, UI chain,
// clock, frame step and camera go null, NaN or wild; a pointer the module follows leads
// into freed memory; the device goes and comes, fails to make state blocks, and the heap
// runs dry. Every choice comes from a Choices: the fuzz target's input, or the soak's
// pseudo-random numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/support/fake_device.h"
#include "tests/support/fake_host.h"
#include "tests/support/frame_invariants.h"

struct Choices {
    const std::uint8_t* data = nullptr; // the bytes to take choices from, or null
    std::size_t size = 0;
    std::uint64_t seed = 0x9E3779B97F4A7C15ULL; // without bytes: xorshift

    std::uint32_t Next();
    bool OneIn(std::uint32_t n) { return Next() % n == 0; }
    std::uint32_t Below(std::uint32_t n) { return Next() % n; }
    float Between(float lo, float hi) { return lo + (hi - lo) * float(Below(100001)) / 1e5f; }
    // Mostly wild: NaN, infinities, signed zeros, extremes, anything at all.
    float AnyFloat();
    bool Exhausted() const { return data != nullptr && size == 0; }
};

// The host's actors are in slots, each at its own address; the list draws on the slots.
struct HostChurn {
    std::vector<fakehost::Actor> actors; // one a slot: as many slots as addresses
    std::size_t maxListed;
    std::vector<std::uint32_t> listed = {}; // slots, in list order
    float clock = 0.0f;
    int inactiveFramesLeft = 0;
    bool deviceOn = true;
    std::pair<HostAddress, HostAddress> broken = {}; // a link broken on the last frame
    std::set<HostAddress> listedSinceReset = {};     // since the tracker was last emptied
};

// Changes the host, then runs the frame as the DLL's hook runs it, with `device` logging
// unless `silent` (it is silent too on a frame without memory, where its log may not
// grow), and checks the invariants. Empty, or what was violated; `faulted` tells whether a
// read of freed memory ended the frame.
std::string RunChurnedFrame(HostChurn& churn, Choices& choose, FakeDevice& device,
                            FrameState& frame, bool silent, bool& faulted);
