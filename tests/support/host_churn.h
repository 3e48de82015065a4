// A host that misbehaves the way games do, frame after frame: actors come, take damage,
// die, revive, stop being engaged, change kind, lose their stats, leave (several at once
// now and then) and come back at their old address or a fresh one; the list reorders,
// repeats an address or goes to zero or below; and for a frame now and then the scene
// closes, the status, UI chain, clock, frame step or camera go null, NaN or wild, a pointer
// the module follows leads into freed memory, the device is missing or makes no state block,
// or the heap runs dry. Every choice comes from a Choices: the fuzz target's input, or the
// soak's pseudo-random numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/fake_device.h"
#include "tests/support/fake_host.h"
#include "bars/frame_driver.h"

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
    std::pair<HostAddress, HostAddress> broken = {}; // a link broken on the last frame
    bool withoutMemory = false;                      // every allocation of this frame fails
};

// A check of the caller's, after every frame: null, or what was violated.
using ChurnCheck = const char* (*)();

// Up to `frames` frames of a changing host, over one frame state made as at load and
// destroyed on return as at unload, run as the DLL's hook runs them, each checked by what
// must hold whatever the host handed over (host_churn.cpp) and by `check`, if any. The device logs
// one frame in `logEvery`. Stops when the choices run out; empty, or the frame and what was
// violated.
std::string RunChurn(HostChurn& churn, Choices& choose, FakeDevice& device, std::uint64_t frames,
                     std::uint64_t logEvery, ChurnCheck check);
