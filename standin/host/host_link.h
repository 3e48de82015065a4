// The pointers a game that breaks its promises leaves pointing at freed memory: an actor's
// stats, the three links to its position, the actor itself in the list, the list, and the
// status, scene and UI objects; and a count that runs past the list (into freed memory, in
// the native fake host). The stand-in host and the native fake host break them alike.
#pragma once

enum class HostLink {
    actorStats,
    positionRoot,
    positionLink,
    positionHolder,
    listedActor,
    list,
    status,
    scene,
    uiRoot,
    uiInner,
    countPastList
};
constexpr HostLink everyHostLink[] = {
    HostLink::actorStats,  HostLink::positionRoot, HostLink::positionLink, HostLink::positionHolder,
    HostLink::listedActor, HostLink::list,         HostLink::status,       HostLink::scene,
    HostLink::uiRoot,      HostLink::uiInner,      HostLink::countPastList};
