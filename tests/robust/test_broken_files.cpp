// A player's copy of the game with one file missing, empty, cut short, corrupted or holding a bad
// number: the replay tool starts the game in a copy of Graphics/ and data/ with that one file broken,
// runs a few hundred passes with a match started, and must end normally with nothing reported.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char *const bitmapFiles[] = {
    "Graphics/bg.bmp",     "Graphics/swatu.bmp",    "Graphics/swatd.bmp",  "Graphics/swatl.bmp",
    "Graphics/swatr.bmp",  "Graphics/bullet.bmp",   "Graphics/swatdead.bmp", "Graphics/gangu.bmp",
    "Graphics/gangd.bmp",  "Graphics/gangl.bmp",    "Graphics/gangr.bmp",  "Graphics/gangdead.bmp",
    "Graphics/map1.bmp",   "Graphics/mflash.bmp",   "Graphics/Ammobox.bmp", "Graphics/medkit.bmp",
    "Graphics/player1.bmp",
};
static_assert(sizeof bitmapFiles / sizeof bitmapFiles[0] == 17, "16 sprite files (bullet.bmp twice) and the icon");

const char *const fontDirs[] = {"data/font1", "data/font2"};

// Sides written into font.ini: none usable but 4096, 16 and the padded forms, which must load.
const char *const iniTexts[] = {"0",   "-16",  "99999999999999999999", "2147483648", "4097",       "abc",
                                "7",   "4096", "16",                   " \t+256 and then words", "-0", "\n\n"};

struct Breakage {
    std::string file;    // path under the game's directory
    std::string kind;    // how it is broken, also the test name's tail
    bool missing;        // the file is removed
    bool needsOriginal;  // the content derives from the game's own file
    std::string text;    // fixed content, when not derived
    size_t cut;          // keep this many bytes of the original (kind "cut")
};

std::string rootPath(const std::string &file) { return std::string(GRIMVALE_ROOT) + "/" + file; }

std::string readAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t originalSize(const std::string &file) {
    std::error_code error;
    uintmax_t size = fs::file_size(rootPath(file), error);
    return error ? 0 : static_cast<size_t>(size);
}

// The same bytes on every run: the generator is seeded from the case's name.
std::string randomBytes(const std::string &name, size_t count) {
    uint32_t seed = 2166136261u;
    for (unsigned char c : name) seed = (seed ^ c) * 16777619u;
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char &b : bytes) b = static_cast<char>(random() & 0xFF);
    return bytes;
}

void putLittleEndian32(std::string &bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4 && offset + i < bytes.size(); i++) bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

void addCuts(std::vector<Breakage> &cases, const std::string &file) {
    size_t size = originalSize(file);
    std::vector<size_t> cuts{1, 2, 14, 54, 1000, size / 2, size - 1};
    std::vector<size_t> taken;
    for (size_t cut : cuts) {
        bool fresh = cut > 0 && cut < size;
        for (size_t t : taken) fresh = fresh && t != cut;
        if (fresh) {
            taken.push_back(cut);
            cases.push_back({file, "cut" + std::to_string(cut), false, true, "", cut});
        }
    }
}

void addCommon(std::vector<Breakage> &cases, const std::string &file) {
    cases.push_back({file, "missing", true, false, "", 0});
    cases.push_back({file, "empty", false, false, "", 0});
    addCuts(cases, file);
    size_t size = originalSize(file);
    cases.push_back({file, "random", false, false, randomBytes(file, size ? size : 4096), 0});
}

std::vector<Breakage> allBreakages() {
    std::vector<Breakage> cases;
    for (const char *file : bitmapFiles) {
        addCommon(cases, file);
        // A real header in front of noise, and headers whose fields lie.
        for (const char *kind : {"header_then_noise", "huge_width_height", "negative_height", "depth_7",
                                 "pixels_past_end", "palette_huge"})
            cases.push_back({file, kind, false, true, "", 0});
    }
    for (const char *dir : fontDirs) {
        std::string ini = std::string(dir) + "/font.ini";
        addCommon(cases, ini);
        int n = 0;
        for (const char *text : iniTexts) cases.push_back({ini, "side" + std::to_string(n++), false, false, text, 0});
        for (const char *name : {"/font.raw", "/font.dat"}) {
            std::string file = std::string(dir) + name;
            addCommon(cases, file);
            cases.push_back({file, "overlong", false, true, "", 0});
        }
    }
    return cases;
}

// The broken content for cases derived from the game's own file.
std::string derivedContent(const Breakage &b) {
    std::string original = readAll(rootPath(b.file));
    std::string bytes = original;
    if (b.kind.rfind("cut", 0) == 0) bytes = original.substr(0, b.cut);
    if (b.kind == "overlong") bytes += randomBytes(b.file + b.kind, 100000);
    if (b.kind == "header_then_noise" && bytes.size() > 54)
        bytes = original.substr(0, 54) + randomBytes(b.file + b.kind, original.size() - 54);
    if (b.kind == "huge_width_height") {
        putLittleEndian32(bytes, 18, 0x7FFFFFFF);
        putLittleEndian32(bytes, 22, 0x7FFFFFFF);
    }
    if (b.kind == "negative_height") putLittleEndian32(bytes, 22, 0x80000000u);
    if (b.kind == "depth_7") bytes[28 < bytes.size() ? 28 : 0] = 7;
    if (b.kind == "pixels_past_end") putLittleEndian32(bytes, 10, 0xFFFFFFF0u);
    if (b.kind == "palette_huge") putLittleEndian32(bytes, 46, 0x7FFFFFFF);
    return bytes;
}

// A few hundred passes: the title screen, the key 1, then walking, turning, firing and every weapon.
std::string keyScript() {
    const char *const moves[] = {"right space", "up", "left space", "down 3", "space", "up right 4",
                                 "down space 2", "left", "space 1", "right down space"};
    std::string script;
    for (int i = 0; i < 5; i++) script += "\n";
    script += "1\n";
    for (int i = 0; i < 300; i++) script += std::string(moves[(i / 12) % 10]) + "\n";
    return script;
}

constexpr int scriptPasses = 306;

// A directory that looks like the game's: links to every original file, so only the broken one is new.
std::string mirrorGameFiles(const std::string &name) {
    fs::path dir = fs::temp_directory_path() / ("grimvale-broken-" + std::to_string(getpid())) / name;
    fs::remove_all(dir);
    for (const char *sub : {"Graphics", "data/font1", "data/font2"}) {
        fs::create_directories(dir / sub);
        std::error_code error;
        for (const fs::directory_entry &entry : fs::directory_iterator(rootPath(sub), error))
            if (entry.is_regular_file()) fs::create_symlink(entry.path(), dir / sub / entry.path().filename());
    }
    return dir.string();
}

void writeFile(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string caseName(const Breakage &b) {
    std::string name = b.file + "_" + b.kind;
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

// Shown by the test runner in place of the record's raw bytes.
void PrintTo(const Breakage &b, std::ostream *out) { *out << b.file << " " << b.kind; }

class BrokenFile : public testing::TestWithParam<Breakage> {};

}  // namespace

TEST_P(BrokenFile, GameRunsAMatchAndEndsNormally) {
    const Breakage &b = GetParam();
    if (b.needsOriginal && originalSize(b.file) == 0) GTEST_SKIP() << b.file << " is not in the game's files";

    std::string dir = mirrorGameFiles(caseName(b));
    std::string target = dir + "/" + b.file;
    fs::remove(target);
    if (!b.missing) writeFile(target, b.needsOriginal ? derivedContent(b) : b.text);
    writeFile(dir + "/keys.txt", keyScript());

    std::string command = "cd '" + dir + "' && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " GRIMVALE_REPLAY
                          " < keys.txt > trace.txt 2> errors.txt";
    int wait = std::system(command.c_str());
    std::string errors = readAll(dir + "/errors.txt");
    std::string trace = readAll(dir + "/trace.txt");
    ASSERT_TRUE(WIFEXITED(wait)) << "the replay tool was killed by a signal\n" << errors;
    EXPECT_EQ(WEXITSTATUS(wait), 0) << errors;
    EXPECT_EQ(errors, "");

    std::istringstream lines(trace);
    std::string line, last;
    int count = 0;
    while (std::getline(lines, line)) {
        count++;
        last = line;
    }
    EXPECT_EQ(count, scriptPasses);
    EXPECT_NE(last.find("matchStarted=1"), std::string::npos) << last;
    if (!HasFailure()) {
        fs::remove_all(dir);
        std::error_code error;
        fs::remove(fs::path(dir).parent_path(), error);  // the run's directory, once it is empty
    }
}

INSTANTIATE_TEST_SUITE_P(EveryGameFile, BrokenFile, testing::ValuesIn(allBreakages()),
                         [](const testing::TestParamInfo<Breakage> &info) { return caseName(info.param); });
