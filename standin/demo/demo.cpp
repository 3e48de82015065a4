#include "standin/demo/demo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "standin/checks/expected_bar.h"
#include "standin/host/host_world.h"
#include "standin/demo/png_file.h"
#include "standin/demo/scenario.h"
#include "standin/host/scene_device.h"

namespace {

// A tile of the contact sheet shows a bar with half a unit to either side, three times as
// wide as high.
constexpr float tileMarginWorld = 0.5f;
constexpr float tileHalfHeightWorld = 0.4f;
// scripts/demo.sh scales every tile to 240x80. A far bar is a few pixels wide: a tile shows
// at least a third of that of the frame around it, so that the bar keeps its surroundings
// instead of filling the tile with a few enlarged pixels.
constexpr float tileMinWidth = 240.0f / 3.0f;
constexpr float tileMinHeight = 80.0f / 3.0f;

struct Walk {
    D3DXVECTOR3 from, to;
    float start, duration;
    bool active;
};

// Every `every`th frame goes to the folder `name` while a film runs.
struct Film {
    std::string name;
    int every;
    int taken;
};

struct Player {
    const Scenario* scenario;
    Stage* stage;
    std::vector<Walk> walks;
    std::size_t next; // first event not yet applied
    Film film;        // `every` 0: no film
    int filmFrames;   // of every film so far
    float clockLead;  // the game's clock less the scenario's time
};

// A folder that cannot be made shows as the pictures in it that cannot be written.
void MakeFolder(const std::string& path) {
    std::error_code ignored;
    std::filesystem::create_directories(path, ignored);
}

int SlotOf(const Scenario& scenario, const std::string& name) {
    const std::vector<std::string>& names = scenario.actorNames;
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}

float Number(const std::vector<std::string>& words, std::size_t i) {
    return i < words.size() ? std::strtof(words[i].c_str(), nullptr) : 0.0f;
}

void ApplyActorEvent(Player& player, const ScenarioEvent& event) {
    const std::vector<std::string>& w = event.words;
    const int slot = SlotOf(*player.scenario, w[1]);
    StageActor& actor = player.stage->actors[slot];
    const std::string& what = w[2];
    if (what == "at") {
        if (actor.kind == 0) { // its first appearance
            actor = StandingActor(0.0f, 0.0f, 0.0f);
        }
        actor.world = D3DXVECTOR3(Number(w, 3), Number(w, 4), 0.0f);
        player.walks[slot].active = false;
    } else if (what == "walk") {
        player.walks[slot] = {actor.world, D3DXVECTOR3(Number(w, 3), Number(w, 4), 0.0f),
                              event.time, Number(w, 5), true};
    } else if (what == "damage") {
        actor.damage = Number(w, 3);
    } else if (what == "engaged") {
        actor.engaged = Number(w, 3) != 0.0f;
    } else if (what == "listed") {
        actor.listed = Number(w, 3) != 0.0f;
    } else if (what == "stats") {
        actor.hasStats = Number(w, 3) != 0.0f;
    } else if (what == "kind") {
        actor.kind = static_cast<std::uint32_t>(std::strtoul(w[3].c_str(), nullptr, 16));
    }
}

void ApplyWorldEvent(const ScenarioEvent& event) {
    const std::vector<std::string>& w = event.words;
    if (w[0] == "scene") {
        SetHostSceneActive(w.size() > 1 && w[1] == "active");
    } else if (w[0] == "ui") {
        SetHostUiFlag(static_cast<std::uint8_t>(Number(w, 1)));
    } else if (w[0] == "status") {
        const bool none = w.size() > 1 && w[1] == "none";
        SetHostStatus(!none, Number(w, 1), static_cast<std::uint32_t>(Number(w, 2)));
    }
}

void MoveWalkers(Player& player, float now) {
    for (std::size_t i = 0; i < player.walks.size(); ++i) {
        const Walk& walk = player.walks[i];
        if (!walk.active) {
            continue;
        }
        const float t = std::clamp(walk.duration > 0.0f ? (now - walk.start) / walk.duration : 1.0f,
                                   0.0f, 1.0f);
        player.stage->actors[i].world = walk.from + (walk.to - walk.from) * t;
    }
}

void ApplyFilmEvent(Player& player, const ScenarioEvent& event, const std::string& outDir) {
    const std::vector<std::string>& w = event.words;
    if (w.size() < 3) {
        player.film = {};
        return;
    }
    player.film = {w[1], std::max(1, static_cast<int>(Number(w, 2))), 0};
    MakeFolder(outDir + "\\" + w[1]);
}

// Applies the events due by `now`; returns the pictures among them.
std::vector<const ScenarioEvent*> ApplyDueEvents(Player& player, float now,
                                                 const std::string& outDir) {
    std::vector<const ScenarioEvent*> captures;
    const std::vector<ScenarioEvent>& events = player.scenario->events;
    while (player.next < events.size() && events[player.next].time <= now + stageStep * 0.5f) {
        const ScenarioEvent& event = events[player.next++];
        if (event.words[0] == "actor") {
            ApplyActorEvent(player, event);
        } else if (event.words[0] == "capture" || event.words[0] == "still") {
            captures.push_back(&event);
        } else if (event.words[0] == "film") {
            ApplyFilmEvent(player, event, outDir);
        } else if (event.words[0] == "clock") {
            player.clockLead = Number(event.words, 1) - event.time;
        } else {
            ApplyWorldEvent(event);
        }
    }
    MoveWalkers(player, now);
    return captures;
}

// The tile's line of the list scripts/demo.sh makes the contact sheet from: the picture,
// the tile's name, and the region around the bars, widened about its centre, as
// ImageMagick's crop geometry.
std::string TileAround(const HostScene& scene, const Player& player, const ScenarioEvent& event,
                       const char* picture) {
    const std::vector<std::string>& w = event.words;
    const StageActor& first = player.stage->actors[SlotOf(*player.scenario, w[2])];
    const StageActor& last =
        player.stage->actors[SlotOf(*player.scenario, w.size() > 3 ? w[3] : w[2])];
    const float extra = tileMarginWorld / expected::barWidth;
    const ScreenPoint low = BarPoint(scene, first, -extra, -tileHalfHeightWorld);
    const ScreenPoint high = BarPoint(scene, last, 1.0f + extra, tileHalfHeightWorld);
    const float width = std::max(std::abs(high.x - low.x), tileMinWidth);
    const float height = std::max(std::abs(high.y - low.y), tileMinHeight);
    char line[160];
    std::snprintf(line, sizeof line, "%s %s %ldx%ld%+ld%+ld\n", picture, w[1].c_str(),
                  std::lround(width), std::lround(height),
                  std::lround((low.x + high.x - width) * 0.5f),
                  std::lround((low.y + high.y - height) * 0.5f));
    return line;
}

bool KnownActors(const Scenario& scenario, const ScenarioEvent& event) {
    return std::all_of(event.words.begin() + 2, event.words.end(),
                       [&](const std::string& name) { return SlotOf(scenario, name) >= 0; });
}

bool WritePicture(const std::string& path, const std::uint32_t* frame) {
    if (WritePng(path.c_str(), frame, sceneWidth, sceneHeight)) {
        return true;
    }
    std::fprintf(stderr, "standin: cannot write %s\n", path.c_str());
    return false;
}

bool Films(const Film& film, int frame) {
    return film.every != 0 && frame % film.every == 0;
}

// The film's frames are numbered from 000, ready for an encoder's glob.
int TakeFilmFrame(Player& player, int frame, const std::uint32_t* pixels,
                  const std::string& outDir) {
    Film& film = player.film;
    if (!Films(film, frame)) {
        return 0;
    }
    char file[32];
    std::snprintf(file, sizeof file, "%03d.png", film.taken++);
    ++player.filmFrames;
    return !WritePicture(outDir + "\\" + film.name + "\\" + file, pixels);
}

int TakeCaptures(const HostScene& scene, const Player& player,
                 const std::vector<const ScenarioEvent*>& captures, const std::uint32_t* frame,
                 const std::string& outDir, std::string* tiles, int* picture) {
    int failed = 0;
    for (const ScenarioEvent* event : captures) {
        const std::string name = event->words.size() > 1 ? event->words[1] : "frame";
        const bool still = event->words[0] == "still";
        char file[64];
        if (still) {
            std::snprintf(file, sizeof file, "%s.png", name.c_str());
        } else {
            std::snprintf(file, sizeof file, "%02d-%s.png", ++*picture, name.c_str());
        }
        failed += !WritePicture(outDir + "\\" + file, frame);
        if (!still && event->words.size() > 2 && KnownActors(*player.scenario, *event)) {
            *tiles += TileAround(scene, player, *event, file);
        }
    }
    return failed;
}

bool WriteTileList(const std::string& path, const std::string& tiles) {
    FILE* list = std::fopen(path.c_str(), "w");
    if (list != nullptr && std::fputs(tiles.c_str(), list) >= 0 && std::fclose(list) == 0) {
        return true;
    }
    std::fprintf(stderr, "standin: cannot write %s\n", path.c_str());
    return false;
}

// Plays one scenario; returns its failures.
int PlayScenario(HostScene& scene, const Scenario& scenario, const std::string& outDir) {
    Stage& stage = NewStage({});
    stage.count = static_cast<int>(scenario.actorNames.size());
    Player player = {&scenario, &stage, std::vector<Walk>(stage.count), 0, {}, 0, 0.0f};
    std::vector<std::uint32_t> frame(sceneWidth * sceneHeight);
    std::string tiles;
    int failed = 0;
    int picture = 0;
    int frames = 0;
    for (float now = 0.0f; now <= scenario.endTime; now = ++frames * stageStep) {
        const std::vector<const ScenarioEvent*> captures = ApplyDueEvents(player, now, outDir);
        stage.clock = player.clockLead + now;
        PublishStage(stage, scene);
        const bool wanted = !captures.empty() || Films(player.film, frames);
        const FrameResult r =
            RenderHostFrame(scene, {FrameCall::callSite, false, wanted ? frame.data() : nullptr});
        failed += r.stateDifferences != 0 || !r.calleeReached;
        failed += TakeCaptures(scene, player, captures, frame.data(), outDir, &tiles, &picture);
        failed += TakeFilmFrame(player, frames, frame.data(), outDir);
    }
    if (!tiles.empty()) {
        failed += !WriteTileList(outDir + "\\bar-life-tiles.txt", tiles);
    }
    std::printf("demo: %d frames, %d pictures%s, %d film frames in %s\n", frames, picture,
                tiles.empty() ? "" : " and the contact sheet's tiles", player.filmFrames,
                outDir.c_str());
    return failed;
}

} // namespace

int RunDemo(HostScene& scene, const char* scenarioPath, const char* outDir) {
    static Scenario scenario;
    if (scenarioPath == nullptr) {
        std::fprintf(stderr, "standin: the demo plays --scenario FILE\n");
        return 1;
    }
    MakeFolder(outDir);
    return LoadScenario(scenarioPath, &scenario) ? PlayScenario(scene, scenario, outDir) : 1;
}
