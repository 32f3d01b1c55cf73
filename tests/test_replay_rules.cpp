// Whole scenarios through the replay tool: hand-worked states at chosen passes, and long random key
// sequences checked pass by pass against a separate, plainly written model of the rules.
#include "support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Trace = std::map<std::string, long long>;

// Runs the replay tool from the repository root on a key script, one line per pass; one trace per pass.
std::vector<Trace> replay(const std::vector<std::string> &script) {
    std::string dir = freshDir("replay");
    std::string keysFile = dir + "/keys.txt";
    std::string text;
    for (const std::string &line : script) text += line + "\n";
    writeFile(keysFile, text);
    std::string command = std::string("cd '") + GRIMVALE_ROOT + "' && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy '" +
                          GRIMVALE_REPLAY + "' < '" + keysFile + "'";
    std::vector<Trace> traces;
    FILE *out = popen(command.c_str(), "r");
    if (!out) return traces;
    char line[4096];
    while (std::fgets(line, sizeof line, out)) {
        Trace trace;
        std::istringstream words(line);
        std::string word;
        while (words >> word) {
            size_t eq = word.find('=');
            if (eq != std::string::npos) trace[word.substr(0, eq)] = std::stoll(word.substr(eq + 1));
        }
        traces.push_back(trace);
    }
    EXPECT_EQ(pclose(out), 0);
    return traces;
}

void expectAt(const std::vector<Trace> &traces, size_t pass, const Trace &want) {
    ASSERT_GE(traces.size(), pass) << "no trace for pass " << pass;
    const Trace &got = traces[pass - 1];
    for (const auto &[name, value] : want) EXPECT_EQ(got.at(name), value) << name << " after pass " << pass;
}

std::vector<std::string> repeat(const std::string &keys, int passes) { return std::vector<std::string>(passes, keys); }

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

// The enemy's shot, marked on the title screen, still stands at (0, 0) when the match starts and
// flies down from there; it leaves the bottom of the screen after pass 11 and is ended in pass 12.
// The enemy walks down-left until block 5's top face holds it.
TEST(ReplayScenario, EnemyShotMarkedOnTheTitleScreenFliesFromTheCorner) {
    std::vector<Trace> t = replay(repeat("", 1) + repeat("1", 1) + repeat("", 14));
    expectAt(t, 1, {{"matchStarted", 0}, {"enemyFiring", 1}, {"enemyShotX", 0}, {"enemyShotY", 0}, {"weaponDamage", 2}});
    expectAt(t, 2, {{"matchStarted", 1}, {"matchFrames", 1}, {"enemyShotY", 50}, {"enemyX", 549}, {"enemyY", 151},
                    {"enemyDir", 2}, {"playerShotX", 110}, {"playerShotY", 310}, {"ammoBoxTimer", 1}});
    expectAt(t, 12, {{"enemyFiring", 1}, {"enemyShotX", 0}, {"enemyShotY", 550}, {"enemyX", 539}, {"enemyY", 161}});
    // Pass 13: the trigger marks again, the walls end the shot, the frame puts it at rest.
    expectAt(t, 13, {{"enemyFiring", 0}, {"enemyShotX", 548}, {"enemyShotY", 172}, {"enemyX", 538}, {"enemyY", 162}});
    // Pass 14: marked, not stopped at (548, 172), flies down; the enemy was pushed up to 160 and chases on.
    expectAt(t, 14, {{"enemyFiring", 1}, {"enemyShotX", 548}, {"enemyShotY", 222}, {"enemyX", 537}, {"enemyY", 161},
                     {"enemyDir", 2}, {"playerHealth", 100}});
}

// Walking and firing before the match: the shot is marked at (0, 0), flies right along y = 0 once the
// match starts, is ended beyond the right edge and costs the Colt's one round.
TEST(ReplayScenario, ShotMarkedBeforeTheMatchFliesAndIsChargedWhenItEnds) {
    std::vector<Trace> t = replay(repeat("right space", 2) + repeat("1", 1) + repeat("", 13));
    expectAt(t, 2, {{"matchStarted", 0}, {"playerX", 104}, {"playerDir", 4}, {"playerFiring", 1}, {"playerShotX", 0}});
    expectAt(t, 3, {{"matchFrames", 1}, {"playerShotX", 50}, {"playerShotY", 0}, {"playerFiring", 1}, {"ammo", 200}});
    expectAt(t, 15, {{"playerShotX", 650}, {"playerFiring", 1}, {"ammo", 200}});
    expectAt(t, 16, {{"playerFiring", 0}, {"playerShotX", 114}, {"playerShotY", 310}, {"ammo", 199}});
}

// Holding 1 from the first pass: the match starts, the Knife is chosen in pass 52 (the first whose
// weapon keys see 51 frames), the ammo box shows in the 301st frame and the medkit in the 501st.
TEST(ReplayScenario, FrameCountGatesTheWeaponKeysAndThePickups) {
    std::vector<Trace> t = replay(repeat("1", 502));
    expectAt(t, 51, {{"matchFrames", 51}, {"weapon", 2}, {"weaponDamage", 2}});
    expectAt(t, 52, {{"matchFrames", 52}, {"weapon", 1}, {"weaponDamage", 100}});
    expectAt(t, 300, {{"ammoBoxShown", 0}, {"ammoBoxTimer", 300}});
    expectAt(t, 301, {{"ammoBoxShown", 1}, {"ammoBoxTimer", 301}});
    expectAt(t, 500, {{"medkitShown", 0}, {"medkitTimer", 500}});
    expectAt(t, 501, {{"medkitShown", 1}, {"medkitTimer", 501}});
}

namespace {

// A separate model of the rules, written from the game's rules in another shape: shots as a step
// along a unit vector with along/across tests, walls as a list of (block, face) bands.
struct Model {
    long long matchStarted = 0, matchFrames = 0;
    long long playerX = 100, playerY = 300, playerDir = 4, playerHealth = 100, playerDead = 0, playerFiring = 0;
    long long playerShotX = 0, playerShotY = 0, weapon = 2, weaponDamage = 0, ammo = 200, score = 0;
    long long enemyX = 550, enemyY = 150, enemyDir = 2, enemyHealth = 100, enemyDead = 0, enemyFiring = 0;
    long long enemyShotX = 0, enemyShotY = 0;
    long long ammoBoxX = 411, ammoBoxY = 32, ammoBoxShown = 0, ammoBoxTimer = 0;
    long long medkitX = 216, medkitY = 425, medkitShown = 0, medkitTimer = 0;

    // What happened, so the test can tell the run reached the rules that matter.
    int enemyDeaths = 0, playerDeaths = 0, ammoBoxesTaken = 0, medkitsTaken = 0, playerHits = 0, enemyHits = 0;
    int knifeStabs = 0, doubleStops = 0, heldShots = 0;

    Trace trace() const {
        return {{"matchStarted", matchStarted}, {"matchFrames", matchFrames}, {"playerX", playerX},
                {"playerY", playerY}, {"playerDir", playerDir}, {"playerHealth", playerHealth},
                {"playerDead", playerDead}, {"playerFiring", playerFiring}, {"playerShotX", playerShotX},
                {"playerShotY", playerShotY}, {"weapon", weapon}, {"weaponDamage", weaponDamage},
                {"ammo", ammo}, {"score", score}, {"enemyX", enemyX}, {"enemyY", enemyY},
                {"enemyDir", enemyDir}, {"enemyHealth", enemyHealth}, {"enemyDead", enemyDead},
                {"enemyFiring", enemyFiring}, {"enemyShotX", enemyShotX}, {"enemyShotY", enemyShotY},
                {"ammoBoxX", ammoBoxX}, {"ammoBoxY", ammoBoxY}, {"ammoBoxShown", ammoBoxShown},
                {"ammoBoxTimer", ammoBoxTimer}, {"medkitX", medkitX}, {"medkitY", medkitY},
                {"medkitShown", medkitShown}, {"medkitTimer", medkitTimer}};
    }
};

struct Keys {
    bool up, down, left, right, space, digit[5];
};

// x range, y range (inclusive), push.
struct Band {
    int x0, x1, y0, y1, dx, dy;
};
const Band bands[] = {
    {-5, -3, 35, 135, -2, 0},    {108, 110, 35, 135, 2, 0},   {-5, 107, 28, 30, 0, -2},    {-5, 107, 113, 115, 0, 2},
    {152, 154, 35, 135, -2, 0},  {263, 267, 35, 135, 2, 0},   {151, 264, 30, 110, 0, -2},  {152, 264, 113, 115, 0, 2},
    {289, 291, 35, 135, -2, 0},  {401, 403, 35, 135, 2, 0},   {290, 400, 30, 110, 0, -2},  {290, 400, 113, 115, 0, 2},
    {445, 447, 35, 135, -2, 0},  {561, 563, 35, 135, 2, 0},   {446, 559, 30, 110, 0, -2},  {446, 559, 113, 115, 0, 2},
    {289, 291, 168, 292, -2, 0}, {289, 599, 162, 164, 0, -2}, {289, 599, 268, 270, 0, 2},  {2, 4, 324, 468, -2, 0},
    {115, 117, 325, 469, 2, 0},  {4, 116, 319, 442, 0, -2},   {4, 116, 444, 446, 0, 2},    {289, 291, 324, 468, -2, 0},
    {402, 404, 325, 469, 2, 0},  {289, 401, 319, 442, 0, -2}, {289, 401, 444, 446, 0, 2},
};
const int blocks[7][4] = {{21, 107, 53, 137},  {178, 263, 53, 137}, {315, 401, 53, 137}, {473, 558, 53, 137},
                          {316, 599, 188, 292}, {29, 115, 343, 467}, {314, 401, 343, 467}};

void push(long long &x, long long &y) {
    for (const Band &b : bands) {
        bool in = b.x0 <= x && x <= b.x1 && b.y0 <= y && y <= b.y1;
        x += in ? b.dx : 0;
        y += in ? b.dy : 0;
    }
    if (x < -5) x += 2;
    if (x > 595) x -= 2;
    if (y < -5) y += 2;
    if (y > 495) y -= 2;
}

int stops(long long x, long long y) {
    int n = (x < 0) + (x > 600) + (y < 0) + (y > 500);
    for (const auto &r : blocks) n += (r[0] <= x && x <= r[1] && r[2] <= y && y <= r[3]) ? 1 : 0;
    return n;
}

// Moves the shot one step along the owner's facing; true when it hits the target.
bool stepShot(long long x, long long y, long long dir, long long tx, long long ty, long long &sx, long long &sy) {
    int ax = dir == 3 ? -1 : dir == 4 ? 1 : 0;
    int ay = dir == 1 ? -1 : dir == 2 ? 1 : 0;
    sx += 50 * ax;
    sy += 50 * ay;
    if (ay != 0) {
        bool inLine = x - 20 < tx && tx < x + 10;
        return inLine && (ay < 0 ? (ty < y && sy < ty) : (ty > y && sy > ty));
    }
    if (ax != 0) {
        bool inLine = y - 20 < ty && ty < y + 10;
        return inLine && (ax < 0 ? (tx < x && sx < tx) : (tx > x && sx > tx));
    }
    return false;
}

void matchFrame(Model &m) {
    if (m.playerFiring == 1 && m.ammo > 0 && m.weapon != 1) {
        bool hit = stepShot(m.playerX, m.playerY, m.playerDir, m.enemyX, m.enemyY, m.playerShotX, m.playerShotY);
        if (hit && !m.enemyDead) m.enemyHealth -= m.weaponDamage, m.playerHits++;
    }
    if (m.enemyFiring == 1) {
        bool hit = stepShot(m.enemyX, m.enemyY, m.enemyDir, m.playerX, m.playerY, m.enemyShotX, m.enemyShotY);
        if (hit && !m.playerDead) m.playerHealth -= 2, m.enemyHits++;
    }
    long long kx = m.playerX - m.enemyX, ky = m.playerY - m.enemyY;
    if (kx > 0 && kx < 20 && ky > 0 && ky < 15 && m.weapon == 1 && !m.enemyDead) m.enemyHealth -= m.weaponDamage, m.knifeStabs++;
    if (m.playerFiring == 1 && (m.ammo <= 0 || m.weapon == 1)) m.heldShots++;
    m.matchFrames++;

    if (!m.enemyDead && m.enemyHealth <= 0) m.enemyDead = 1, m.enemyDeaths++;
    if (m.enemyDead) {
        m.enemyHealth++;
        if (m.enemyHealth >= 100) m.enemyDead = 0, m.enemyX = 550, m.enemyY = 150, m.score += 20;
    }
    if (!m.playerDead && m.playerHealth <= 0) m.playerDead = 1, m.playerDeaths++;
    if (m.playerDead) {
        m.playerHealth++;
        if (m.playerHealth >= 100) m.playerDead = 0, m.playerX = 100, m.playerY = 300;
    }

    if (!m.enemyDead) {
        long long dx = (m.playerX > m.enemyX) - (m.playerX < m.enemyX);
        long long dy = (m.playerY > m.enemyY) - (m.playerY < m.enemyY);
        m.enemyX += dx;
        m.enemyY += dy;
        if (dx != 0) m.enemyDir = dx < 0 ? 3 : 4;
        if (dy != 0) m.enemyDir = dy < 0 ? 1 : 2;
    }
    if (!m.playerFiring) m.playerShotX = m.playerX + 10, m.playerShotY = m.playerY + 10;
    if (!m.enemyFiring) m.enemyShotX = m.enemyX + 10, m.enemyShotY = m.enemyY + 10;

    auto onIt = [&](long long x, long long y) { return x < m.playerX && m.playerX < x + 20 && y < m.playerY && m.playerY < y + 15; };
    m.ammoBoxTimer++;
    if (m.ammoBoxTimer > 300) m.ammoBoxShown = 1;
    if (m.ammoBoxShown && onIt(m.ammoBoxX, m.ammoBoxY)) m.ammoBoxShown = 0, m.ammoBoxTimer = 0, m.ammo += 200, m.ammoBoxesTaken++;
    m.medkitTimer++;
    if (m.medkitTimer > 500) m.medkitShown = 1;
    if (m.medkitShown && onIt(m.medkitX, m.medkitY)) m.medkitShown = 0, m.medkitTimer = 0, m.playerHealth += 25, m.medkitsTaken++;
}

void modelPass(Model &m, const Keys &k) {
    if (!m.playerDead) {
        m.playerY += 2 * (k.down - k.up);
        m.playerX += 2 * (k.right - k.left);
        long long dir = m.playerDir;
        if (k.up) dir = 1;
        if (k.down) dir = 2;
        if (k.left) dir = 3;
        if (k.right) dir = 4;
        m.playerDir = dir;
        if (k.space) m.playerFiring = 1;
    }
    if (!m.enemyDead) {
        bool ahead = (m.enemyDir == 1 && m.playerY < m.enemyY) || (m.enemyDir == 2 && m.playerY > m.enemyY) ||
                     (m.enemyDir == 3 && m.playerX < m.enemyX) || (m.enemyDir == 4 && m.playerX > m.enemyX);
        if (ahead) m.enemyFiring = 1;
    }
    if (k.digit[1]) m.matchStarted = 1;
    for (int n = 4; n >= 1 && m.matchFrames > 50; n--) {
        if (k.digit[n]) {
            m.weapon = n;
            break;
        }
    }
    const long long damage[5] = {0, 100, 2, 3, 5}, charge[5] = {0, 0, 1, 3, 1};
    m.weaponDamage = damage[m.weapon];
    push(m.playerX, m.playerY);
    push(m.enemyX, m.enemyY);
    if (m.playerFiring) {
        int n = stops(m.playerShotX, m.playerShotY);
        if (n > 0) m.playerFiring = 0, m.ammo -= n * charge[m.weapon];
        if (n > 1) m.doubleStops++;
    }
    if (m.enemyFiring && stops(m.enemyShotX, m.enemyShotY) > 0) m.enemyFiring = 0;
    if (m.matchStarted) matchFrame(m);
}

std::string scriptLine(const Keys &k) {
    std::string line;
    const char *names[] = {"up", "down", "left", "right", "space"};
    const bool held[] = {k.up, k.down, k.left, k.right, k.space};
    for (int i = 0; i < 5; i++)
        if (held[i]) line += std::string(names[i]) + " ";
    for (int n = 1; n <= 4; n++)
        if (k.digit[n]) line += std::to_string(n) + " ";
    return line;
}

// Runs of held keys, as a person plays: arrows held for a while, often firing, sometimes a weapon
// key; some runs steer toward the ammo box, the medkit or the enemy's knife box, so that the run
// reaches the pickups and the knife. The model is played along to know where the player stands.
std::vector<Keys> randomKeys(unsigned seed, int passes, Model &m) {
    std::mt19937 rng(seed);
    std::vector<Keys> keys;
    auto chance = [&](int percent) { return static_cast<int>(rng() % 100) < percent; };
    while (static_cast<int>(keys.size()) < passes) {
        Keys k{};
        k.up = chance(30);
        k.down = chance(30);
        k.left = chance(30);
        k.right = chance(30);
        k.space = chance(60);
        for (int n = 1; n <= 4; n++) k.digit[n] = chance(n == 1 ? 8 : 5);
        int seek = static_cast<int>(rng() % 6);  // 0 ammo box, 1 medkit, 2 enemy; otherwise wander
        int run = 1 + static_cast<int>(rng() % (seek < 3 ? 150 : 40));
        for (int i = 0; i < run && static_cast<int>(keys.size()) < passes; i++) {
            long long tx = seek == 0 ? m.ammoBoxX + 6 : seek == 1 ? m.medkitX + 6 : m.enemyX + 6;
            long long ty = seek == 0 ? m.ammoBoxY + 6 : seek == 1 ? m.medkitY + 6 : m.enemyY + 6;
            if (seek < 3) {
                k.left = tx < m.playerX - 1;
                k.right = tx > m.playerX + 1;
                k.up = ty < m.playerY - 1;
                k.down = ty > m.playerY + 1;
            }
            keys.push_back(k);
            modelPass(m, k);
        }
    }
    return keys;
}

}  // namespace

TEST(ReplayModel, TraceAgreesWithTheModelOnLongRandomKeySequences) {
    Model seen;  // events summed over all runs
    for (unsigned seed : {1u, 2u, 3u}) {
        Model played;
        std::vector<Keys> keys = randomKeys(seed, 6000, played);
        std::vector<std::string> script;
        for (const Keys &k : keys) script.push_back(scriptLine(k));
        std::vector<Trace> traces = replay(script);
        ASSERT_EQ(traces.size(), keys.size()) << "seed " << seed;
        Model m;
        for (size_t pass = 0; pass < keys.size(); pass++) {
            modelPass(m, keys[pass]);
            ASSERT_EQ(traces[pass], m.trace()) << "seed " << seed << ", first difference after pass " << pass + 1
                                               << ", keys \"" << script[pass] << "\"";
        }
        seen.enemyDeaths += m.enemyDeaths;
        seen.playerDeaths += m.playerDeaths;
        seen.ammoBoxesTaken += m.ammoBoxesTaken;
        seen.medkitsTaken += m.medkitsTaken;
        seen.playerHits += m.playerHits;
        seen.enemyHits += m.enemyHits;
        seen.knifeStabs += m.knifeStabs;
        seen.doubleStops += m.doubleStops;
        seen.heldShots += m.heldShots;
    }
    std::printf("enemy deaths %d, player deaths %d, ammo boxes %d, medkits %d, player hits %d, enemy hits %d, "
                "knife stabs %d, double stops %d, held-shot frames %d\n",
                seen.enemyDeaths, seen.playerDeaths, seen.ammoBoxesTaken, seen.medkitsTaken, seen.playerHits,
                seen.enemyHits, seen.knifeStabs, seen.doubleStops, seen.heldShots);
    // The runs must reach the rules they are meant to check.
    EXPECT_GT(seen.enemyDeaths, 0);
    EXPECT_GT(seen.playerDeaths, 0);
    EXPECT_GT(seen.ammoBoxesTaken, 0);
    EXPECT_GT(seen.medkitsTaken, 0);
    EXPECT_GT(seen.playerHits, 0);
    EXPECT_GT(seen.enemyHits, 0);
    EXPECT_GT(seen.heldShots, 0);
}
