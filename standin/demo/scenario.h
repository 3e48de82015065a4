// A small script of what happens in the host's world, one event per line:
//   SECONDS actor NAME at X Y        appears standing at world (X, Y), listed, engaged
//   SECONDS actor NAME walk X Y SECS walks there in SECS seconds
//   SECONDS actor NAME damage R      the game's damage ratio (health is 1 - R)
//   SECONDS actor NAME engaged|listed|stats 0|1
//   SECONDS actor NAME kind HEX
//   SECONDS scene active|inactive
//   SECONDS ui FLAG                  the UI byte
//   SECONDS status LEVEL MODE        or: status none
//   SECONDS capture NAME [ACTOR [ACTOR2]]  picture of this frame; with actors, a tile of
//                                    the contact sheet around their bars
//   SECONDS still NAME               picture of this frame as NAME.png
//   SECONDS film NAME EVERY          from now on every EVERYth frame as NAME\NNN.png
//   SECONDS film off
//   SECONDS clock READING            the game's clock reads READING now and runs on from it
//   SECONDS end
// '#' starts a comment. Events at one time apply in file order. A line of any other form,
// or short of its words, is an error.
#pragma once

#include <string>
#include <vector>

#include "standin/host/stage.h"

struct ScenarioEvent {
    float time;
    std::vector<std::string> words; // the event without its time
};

struct Scenario {
    std::vector<ScenarioEvent> events;
    std::vector<std::string> actorNames; // index = stage slot
    float endTime;
};

// False, with what is wrong on stderr, when the file cannot be opened or a line of it
// cannot be read.
bool LoadScenario(const char* path, Scenario* scenario);
