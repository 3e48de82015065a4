// The pointers a game that breaks its promises leaves pointing at freed memory: an actor's
// stats, the three links to its position, the actor itself in the list, the list, and the
// status, scene and UI objects; and a count that runs past the list (into freed memory, in
// the native fake host). The stand-in host and the native fake host break them alike.
#pragma once

#include "standin/host/game_layout.h"

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

// Where the word of a link lies in the game's memory as it is now; an actor's links are the
// first listed actor's.
inline HostAddress LinkWord(HostLink link) {
    const HostAddress list = ReadHost<HostAddress>(game::actorList);
    const HostAddress actor = ReadHost<HostAddress>(list);
    const HostAddress root = ReadHost<HostAddress>(actor - game::positionRoot);
    const HostAddress words[] = {actor + game::stats,
                                 actor - game::positionRoot,
                                 root + game::positionLink,
                                 ReadHost<HostAddress>(root + game::positionLink),
                                 list,
                                 game::actorList,
                                 game::status,
                                 game::scene,
                                 game::uiRoot,
                                 ReadHost<HostAddress>(game::uiRoot) + game::uiInner,
                                 game::actorCount};
    return words[int(link)];
}
