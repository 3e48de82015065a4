#include "standin/demo/scenario.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

const char barLifeScenario[] =
    R"(# One bar's whole life, with company. World x is depth ahead, y is to the right.
0    actor hero at 5 -1.2
0    actor band1 at 8 -4.4
0    actor band2 at 8 -2.6
0    actor band3 at 8 2.2
0    actor band4 at 8 4.0
0    actor band5 at 8 5.8
0    actor hidden at 12 -0.7
0    actor walker at 30 -5
0    actor comer at 12 -4
0    actor ghost at 6 1
0    actor ghost kind B80933AA
0    actor nostats at 20 -9
0    actor nostats stats 0
0    actor band1 damage 0.1
0    actor band2 damage 0.3
0    actor band3 damage 0.5
0    actor band4 damage 0.7
0    actor band5 damage 0.9
0.2  actor walker walk 125 -22 6
0.2  actor comer walk 1.6 -0.6 6
0.5  capture full hero
0.5  capture behind-wall hidden
1.0  actor hero damage 0.45
1.1  capture hit hero
1.4  capture trail-holding hero
1.8  capture trail-draining hero
2.4  capture trail-drained hero
2.6  capture scene
2.6  capture bands band1 band5
3.0  actor hero damage 1
3.03 capture death hero
3.2  capture blink hero
4.0  capture far-fading walker
4.15 capture fade hero
4.4  capture faded hero
4.6  capture gone hero
5.0  actor hero damage 0
5.0  actor band1 engaged 0
5.1  capture back hero
5.1  capture near-fading comer
5.5  actor band2 listed 0
6.0  capture band1-hiding band1
7.3  capture band1-hidden band1
7.5  actor band2 listed 1
7.6  capture band2-back band2
8.0  scene inactive
8.1  capture scene-inactive hero
8.5  ui 1
8.5  status 0.5 1
8.5  scene active
8.7  capture latched hero
9.2  status 1 3
9.4  capture latch-cleared hero
9.5  end
)";

// The pictures a player sees first: a still that looks like the game, and a short film of
// a fight. The wall's left edge, seen from the camera, crosses depth 12 at y -0.67.
const char fightScenario[] =
    R"(# A fight: actors near and far, one half behind the wall, hits, trails and a death.
0    actor hero at 5 -1.5
0    actor ally at 7 1.6
0    actor lurker at 12 -0.7
0    actor archer at 30 -6
0    actor scout at 75 -16
0    actor runner at 24 -10
0    actor hero damage 0.1
0    actor lurker damage 0.3
0    actor archer damage 0.65
0    actor scout damage 0.15
0    actor runner damage 0.05
0    film fight 2
0    actor scout walk 105 -23 6.5
0.2  actor runner walk 9 -4.5 5
0.5  actor ally damage 0.35
1.2  actor hero damage 0.55
1.45 still game
2.0  actor lurker damage 0.65
2.6  actor archer damage 1
3.2  actor hero damage 0.85
3.8  actor ally damage 0.62
4.4  actor runner damage 0.4
5.0  actor hero damage 1
6.6  film off
6.7  end
)";

bool ParseLine(const std::string& line, Scenario* scenario) {
    std::istringstream words(line.substr(0, line.find('#')));
    ScenarioEvent event;
    if (!(words >> event.time)) {
        return words.eof() && event.words.empty(); // blank or comment only
    }
    for (std::string word; words >> word;) {
        event.words.push_back(word);
    }
    if (event.words.empty()) {
        return false;
    }
    if (event.words[0] == "actor") {
        if (event.words.size() < 3) {
            return false;
        }
        bool known = false;
        for (const std::string& name : scenario->actorNames) {
            known = known || name == event.words[1];
        }
        if (!known) {
            scenario->actorNames.push_back(event.words[1]);
        }
    }
    if (event.words[0] == "end") {
        scenario->endTime = event.time;
    }
    scenario->events.push_back(event);
    return true;
}

} // namespace

const char* BarLifeScenarioText() {
    return barLifeScenario;
}

const char* FightScenarioText() {
    return fightScenario;
}

bool ParseScenario(const char* text, Scenario* scenario) {
    *scenario = {};
    scenario->endTime = 10.0f;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!ParseLine(line, scenario)) {
            std::fprintf(stderr, "standin: cannot read scenario line: %s\n", line.c_str());
            return false;
        }
    }
    return static_cast<int>(scenario->actorNames.size()) <= maxHostActors;
}

bool LoadScenarioFile(const char* path, std::string* text) {
    std::ifstream file(path);
    if (!file) {
        std::fprintf(stderr, "standin: cannot open scenario %s\n", path);
        return false;
    }
    std::ostringstream content;
    content << file.rdbuf();
    *text = content.str();
    return true;
}
