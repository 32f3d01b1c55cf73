// The record's numeric fields as one line of name=value pairs, for the replay tool and tests.
#include "shell/trace.h"

#include "shell/match_state.h"

#include <cstdio>

namespace {

// Columns: name printed, field of the record. Rows in trace order: every field of the game, none of
// the shell's view or pad.
struct TraceField {
    const char *name;
    int32_t MatchState::*field;
};

const TraceField traceFields[] = {
    {"matchStarted", &MatchState::matchStarted}, {"matchFrames", &MatchState::matchFrames},
    {"playerX", &MatchState::playerX},           {"playerY", &MatchState::playerY},
    {"playerDir", &MatchState::playerDir},       {"playerHealth", &MatchState::playerHealth},
    {"playerDead", &MatchState::playerDead},     {"playerFiring", &MatchState::playerFiring},
    {"playerShotX", &MatchState::playerShotX},   {"playerShotY", &MatchState::playerShotY},
    {"weapon", &MatchState::weapon},             {"weaponDamage", &MatchState::weaponDamage},
    {"ammo", &MatchState::ammo},                 {"score", &MatchState::score},
    {"enemyX", &MatchState::enemyX},             {"enemyY", &MatchState::enemyY},
    {"enemyDir", &MatchState::enemyDir},         {"enemyHealth", &MatchState::enemyHealth},
    {"enemyDead", &MatchState::enemyDead},       {"enemyFiring", &MatchState::enemyFiring},
    {"enemyShotX", &MatchState::enemyShotX},     {"enemyShotY", &MatchState::enemyShotY},
    {"ammoBoxX", &MatchState::ammoBoxX},         {"ammoBoxY", &MatchState::ammoBoxY},
    {"ammoBoxShown", &MatchState::ammoBoxShown}, {"ammoBoxTimer", &MatchState::ammoBoxTimer},
    {"medkitX", &MatchState::medkitX},           {"medkitY", &MatchState::medkitY},
    {"medkitShown", &MatchState::medkitShown},   {"medkitTimer", &MatchState::medkitTimer},
};
static_assert(sizeof traceFields / sizeof traceFields[0] == 30, "every numeric field of the game is traced");

}  // namespace

size_t formatTrace(char *out, size_t size) {
    size_t used = 0;
    for (const TraceField &f : traceFields) {
        int n = std::snprintf(out + used, size - used, "%s%s=%d", used ? " " : "", f.name, match.*f.field);
        used += (n > 0 && static_cast<size_t>(n) < size - used) ? static_cast<size_t>(n) : 0;
    }
    return used;
}
