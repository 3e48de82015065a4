#include "standin/demo/scenario.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

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
