// Typed reads of the host game's values. A pointer the host may leave null is tested here
// and reported as absent; the actor array and the actors it lists are trusted.
#pragma once

#include <array>

#include "d3d/d3d.h"
#include "host/host_layout.h"

struct HostStatus {
    bool present;
    float level;
    std::uint32_t mode;
};

inline HostAddress ReadHostPointer(HostAddress address) {
    return ReadHost<HostAddress>(address);
}

inline HostStatus ReadHostStatus() {
    const HostAddress status = ReadHostPointer(hostlayout::statusPointer);
    if (status == 0) {
        return {false, 0.0f, 0};
    }
    return {true, ReadHost<float>(status + hostlayout::statusLevelOffset),
            ReadHost<std::uint32_t>(status + hostlayout::statusModeOffset)};
}

inline float ReadHostClock() {
    return ReadHost<float>(hostlayout::clock);
}
inline float ReadHostFrameStep() {
    return ReadHost<float>(hostlayout::frameStep);
}

// Copied by the module's own loads: D3DX never reads the game's memory, and a camera the game
// cannot read faults here, in the module's code, where the frame guard takes it.
inline D3DXMATRIX ReadHostViewMatrix() {
    return ReadHost<D3DXMATRIX>(hostlayout::viewMatrix);
}
inline D3DXMATRIX ReadHostViewProjMatrix() {
    return ReadHost<D3DXMATRIX>(hostlayout::viewProjMatrix);
}

// No scene object counts as an inactive scene.
inline bool ReadHostSceneActive() {
    const HostAddress scene = ReadHostPointer(hostlayout::scenePointer);
    return scene != 0 && ReadHost<std::uint32_t>(scene + hostlayout::sceneActiveOffset) != 0;
}

// False, and *flag untouched, while either link of the chain is null.
inline bool ReadHostUiFlag(std::uint8_t* flag) {
    const HostAddress root = ReadHostPointer(hostlayout::uiRootPointer);
    if (root == 0) {
        return false;
    }
    const HostAddress inner = ReadHostPointer(root + hostlayout::uiInnerOffset);
    if (inner == 0) {
        return false;
    }
    *flag = ReadHost<std::uint8_t>(inner + hostlayout::uiFlagOffset);
    return true;
}

inline std::int32_t ReadHostActorCount() {
    return ReadHost<std::int32_t>(hostlayout::actorCount);
}

inline HostAddress ReadHostActor(std::int32_t index) {
    const HostAddress list = ReadHostPointer(hostlayout::actorListPointer);
    return ReadHost<HostAddress>(list +
                                 static_cast<HostAddress>(index) * hostlayout::actorListEntrySize);
}

inline std::uint32_t ReadActorKind(HostAddress actor) {
    return ReadHost<std::uint32_t>(actor + hostlayout::actorKindOffset);
}

inline std::uint32_t ReadActorEngaged(HostAddress actor) {
    return ReadHost<std::uint32_t>(actor + hostlayout::actorEngagedOffset);
}

// False for an actor without stats.
inline bool ReadActorDamageRatio(HostAddress actor, float* ratio) {
    const HostAddress stats = ReadHostPointer(actor + hostlayout::actorStatsOffset);
    if (stats == 0) {
        return false;
    }
    *ratio = ReadHost<float>(stats + hostlayout::damageRatioOffset);
    return true;
}

// Copied as raw words: whatever bits the host holds arrive unchanged.
inline std::array<float, 3> ReadActorPosition(HostAddress actor) {
    const HostAddress root = ReadHostPointer(actor - hostlayout::actorPositionRootOffset);
    const HostAddress link = ReadHostPointer(root + hostlayout::positionLink1Offset);
    const HostAddress holder = ReadHostPointer(link + hostlayout::positionLink2Offset);
    return ReadHost<std::array<float, 3>>(holder + hostlayout::positionOffset);
}

inline IDirect3DDevice9* ReadHostDevice() {
#if defined(_WIN32)
    return reinterpret_cast<IDirect3DDevice9*>(
        static_cast<std::uintptr_t>(ReadHostPointer(hostlayout::devicePointer)));
#else
    return ReadHostPointer(hostlayout::devicePointer) != 0 ? nativeHostDevice : nullptr;
#endif
}
