#include "standin/demo/scenario.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

// Every kind of event, an actor's by its property, with the fewest words it is written in
// after its time: "actor NAME damage R" is four.
struct EventForm {
    const char* name;
    std::size_t words;
};
const EventForm eventForms[] = {
    {"actor at", 5},     {"actor walk", 6},  {"actor damage", 4}, {"actor engaged", 4},
    {"actor listed", 4}, {"actor stats", 4}, {"actor kind", 4},   {"scene", 2},
    {"ui", 2},           {"status", 2},      {"capture", 1},      {"still", 1},
    {"film", 2},         {"clock", 2},       {"end", 1},
};

bool KnownForm(const std::vector<std::string>& words) {
    const std::string form =
        words[0] == "actor" && words.size() > 2 ? words[0] + " " + words[2] : words[0];
    return std::any_of(std::begin(eventForms), std::end(eventForms), [&](const EventForm& f) {
        return form == f.name && words.size() >= f.words;
    });
}

bool ParseLine(const std::string& line, Scenario* scenario) {
    std::istringstream words(line.substr(0, line.find('#')));
    ScenarioEvent event;
    if (!(words >> event.time)) {
        return words.eof(); // blank or comment only
    }
    event.words.assign(std::istream_iterator<std::string>(words), {});
    if (event.words.empty() || !KnownForm(event.words)) {
        return false;
    }
    std::vector<std::string>& names = scenario->actorNames;
    if (event.words[0] == "actor" &&
        std::find(names.begin(), names.end(), event.words[1]) == names.end()) {
        names.push_back(event.words[1]);
    }
    if (event.words[0] == "end") {
        scenario->endTime = event.time;
    }
    scenario->events.push_back(event);
    return true;
}

} // namespace

bool LoadScenario(const char* path, Scenario* scenario) {
    std::ifstream file(path);
    if (!file) {
        std::fprintf(stderr, "standin: cannot open scenario %s\n", path);
        return false;
    }
    *scenario = {};
    scenario->endTime = 10.0f;
    for (std::string line; std::getline(file, line);) {
        if (!ParseLine(line, scenario)) {
            std::fprintf(stderr, "standin: cannot read scenario line: %s\n", line.c_str());
            return false;
        }
    }
    return static_cast<int>(scenario->actorNames.size()) <= maxHostActors;
}
