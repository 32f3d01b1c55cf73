// The desktop player's controls file: the keys of each action and the game's speed, read at start-up.
#include "platform/controls_file.h"

#include "platform/key_bindings.h"
#include "shell/match_state.h"

#include <SDL.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int32_t longestLine = 256;      // characters of a line, its end not counted; longer lines are refused
constexpr int32_t longestFile = 1 << 16;  // bytes read at most: a controls file is a few hundred
constexpr int32_t longestQuoted = 40;     // characters of a refused name repeated in its message

// A stretch of a line: not terminated, since the names in a line are not.
struct Span {
    const char *at;
    int32_t length;
};

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }  // \r: lines ending in CR LF

Span trimmed(const char *from, const char *to) {
    while (from < to && blank(*from)) from++;
    while (to > from && blank(to[-1])) to--;
    return Span{from, static_cast<int32_t>(to - from)};
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Names match whatever the case of their letters.
bool sameName(Span span, const char *name) {
    int32_t n = 0;
    while (n < span.length && name[n] != '\0' && lower(span.at[n]) == lower(name[n])) n++;
    return n == span.length && name[n] == '\0';
}

bool namedKey(int32_t key) { return std::strcmp(SDL_GetKeyName(static_cast<SDLKey>(key)), "unknown key") != 0; }

// The key SDL calls by that name, or SDLK_UNKNOWN. A single printable character also names the key
// that types it, whatever this SDL calls it.
int32_t keyNamed(Span name) {
    int32_t found = SDLK_UNKNOWN;
    for (int32_t key = SDLK_LAST - 1; key > SDLK_UNKNOWN; key--)
        if (namedKey(key) && sameName(name, SDL_GetKeyName(static_cast<SDLKey>(key)))) found = key;
    char c = name.length == 1 ? lower(name.at[0]) : '\0';
    if (found == SDLK_UNKNOWN && c > ' ' && c < 127 && namedKey(c)) found = c;
    return found;
}

// A name from the file, fit to print: at most longestQuoted characters, anything but printable
// ASCII shown as '?'.
struct Quoted {
    char text[longestQuoted + 4];
};
Quoted quoted(Span span) {
    Quoted q{};
    int32_t n = 0;
    for (; n < span.length && n < longestQuoted; n++) q.text[n] = span.at[n] >= ' ' && span.at[n] < 127 ? span.at[n] : '?';
    if (span.length > longestQuoted) std::strcpy(q.text + n, "...");
    return q;
}

// One line on standard error, written at once: the file, the line number, what is wrong with it.
void report(const char *path, int32_t line, const char *format, ...) {
    char message[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    std::fprintf(stderr, "grimvale: %s:%d: %s\n", path, line, message);
}

// "speed = N": a whole number from 50 to 100; anything else gives full speed. Digits past the
// fourth only make the number larger, so it cannot overflow.
void readSpeed(const char *path, int32_t line, Span value) {
    int32_t percent = value.length > 0 ? 0 : -1;
    for (int32_t n = 0; n < value.length && percent >= 0; n++) {
        bool digit = value.at[n] >= '0' && value.at[n] <= '9';
        percent = digit ? (percent > 1000 ? percent : percent * 10 + (value.at[n] - '0')) : -1;
    }
    if (!setGameSpeed(percent))
        report(path, line, "speed \"%s\" is not a whole number from %d to %d: full speed", quoted(value).text,
               slowestSpeed, fullSpeed);
}

// "action = key, key, ...": the keys replace the action's; none at all gives it its defaults. A
// comma separates keys, and a lone comma is the comma key. Any key not understood leaves the action
// as it was. True when the keys were taken.
bool readKeys(const char *path, int32_t line, int32_t action, Span value) {
    int32_t keys[keysPerAction];
    int32_t count = 0;
    const char *at = value.at;
    const char *end = value.at + value.length;
    const char *name = actionName(action);
    while (at < end) {
        bool lone = *at == ',';
        const char *comma = lone ? nullptr : static_cast<const char *>(std::memchr(at, ',', static_cast<size_t>(end - at)));
        const char *itemEnd = lone ? at + 1 : (comma ? comma : end);
        Span item = lone ? Span{at, 1} : trimmed(at, itemEnd);
        at = itemEnd;
        int32_t key = keyNamed(item);
        bool listed = false;
        for (int32_t i = 0; i < count; i++) listed = listed || keys[i] == key;
        if (key == SDLK_UNKNOWN) {
            report(path, line, "no key named \"%s\": %s keeps its keys", quoted(item).text, name);
            return false;
        }
        if (!bindableKey(key)) {
            report(path, line, "\"%s\" quits the game and cannot be bound: %s keeps its keys", quoted(item).text, name);
            return false;
        }
        if (!listed && count == keysPerAction) {
            report(path, line, "more than %d keys: %s keeps its keys", keysPerAction, name);
            return false;
        }
        if (!listed) keys[count++] = key;
        while (at < end && blank(*at)) at++;
        if (at < end && *at != ',') {
            report(path, line, "a comma was expected after \"%s\": %s keeps its keys", quoted(item).text, name);
            return false;
        }
        at += at < end ? 1 : 0;
        while (at < end && blank(*at)) at++;
    }
    clearActionKeys(action);
    for (int32_t i = 0; i < count; i++) addActionKey(action, keys[i]);
    return true;
}

// Sets setAt[action] to the line when the line gave an action its keys.
void readLine(const char *path, int32_t line, const char *text, int32_t length, int32_t *setAt) {
    Span whole = trimmed(text, text + length);
    if (whole.length == 0 || whole.at[0] == '#') return;
    const char *equals = static_cast<const char *>(std::memchr(whole.at, '=', whole.length));
    if (!equals) {
        report(path, line, "neither \"action = key, key, ...\" nor \"speed = N\"");
        return;
    }
    Span name = trimmed(whole.at, equals);
    Span value = trimmed(equals + 1, whole.at + whole.length);
    int32_t action = -1;
    for (int32_t a = 0; a < actionCount; a++) action = sameName(name, actionName(a)) ? a : action;
    if (sameName(name, "speed")) readSpeed(path, line, value);
    if (action >= 0 && readKeys(path, line, action, value)) setAt[action] = line;
    if (action < 0 && !sameName(name, "speed")) report(path, line, "no action named \"%s\"", quoted(name).text);
}

// A key as the file may name it: a printable character by itself (SDL misnames a few of them), any
// other key by SDL's name.
struct KeyText {
    char text[32];
};
KeyText keyText(int32_t key) {
    KeyText t{};
    bool character = key > ' ' && key < 127;
    if (character) t.text[0] = static_cast<char>(key);
    if (!character) std::snprintf(t.text, sizeof t.text, "%s", SDL_GetKeyName(static_cast<SDLKey>(key)));
    return t;
}

// Two actions answering to one key both act on it: said once per pair, at the later of the lines that
// gave them their keys. The keys stay as the file gave them.
void tellSharedKeys(const char *path, const int32_t *setAt) {
    for (int32_t a = 0; a < actionCount; a++) {
        for (int32_t b = a + 1; b < actionCount; b++) {
            int32_t key = sharedKey(a, b);
            if (key != SDLK_UNKNOWN)
                report(path, setAt[a] > setAt[b] ? setAt[a] : setAt[b], "\"%s\" is a key of both %s and %s: it does both",
                       keyText(key).text, actionName(a), actionName(b));
        }
    }
}

// The file opened for reading without waiting on it, or null, said in one line unless it is missing.
// Only a plain file is read: a FIFO, a device or a directory could hold the game at its start for
// ever, or could not be read at all. O_NONBLOCK changes nothing for a plain file.
std::FILE *openPlainFile(const char *path) {
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && errno != ENOENT && errno != ENOTDIR) std::fprintf(stderr, "grimvale: %s: %s\n", path, std::strerror(errno));
    if (fd < 0) return nullptr;
    struct stat about {};
    bool plain = fstat(fd, &about) == 0 && S_ISREG(about.st_mode);
    if (!plain) std::fprintf(stderr, "grimvale: %s: not a plain file: not read\n", path);
    std::FILE *file = plain ? fdopen(fd, "r") : nullptr;
    if (!file) close(fd);
    return file;
}

bool byteOrderMark(const char *text, int32_t length) { return length >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0; }

}  // namespace

void readControlsFile(const char *path) {
    std::FILE *file = openPlainFile(path);
    if (!file) return;
    int32_t setAt[actionCount] = {};  // the line that gave each action its keys, 0 for none
    char text[longestLine];
    int32_t length = 0;
    int32_t line = 1;
    bool tooLong = false;
    int32_t bytes = 0;
    for (int c = std::getc(file);; c = std::getc(file)) {
        bytes += c == EOF ? 0 : 1;
        if (c == EOF && std::ferror(file)) report(path, line, "cannot be read: %s", std::strerror(errno));
        if (bytes > longestFile) report(path, line, "the file is over %d bytes: the rest is not read", longestFile);
        if ((c == EOF && std::ferror(file)) || bytes > longestFile) break;
        bool ends = c == '\n' || (c == EOF && (length > 0 || tooLong));
        if (ends && tooLong) report(path, line, "longer than %d characters", longestLine);
        // a UTF-8 byte-order mark, which some editors put first, is no part of the first line
        int32_t mark = line == 1 && byteOrderMark(text, length) ? 3 : 0;
        if (ends && !tooLong) readLine(path, line, text + mark, length - mark, setAt);
        if (c == EOF) break;
        tooLong = ends ? false : tooLong || length == longestLine;
        length = ends ? 0 : length;
        line += ends ? 1 : 0;
        // a NUL byte is never part of a name: kept as DEL, which no name holds, the line is refused
        if (!ends && !tooLong) text[length++] = c == '\0' ? '\x7f' : static_cast<char>(c);
    }
    std::fclose(file);
    tellSharedKeys(path, setAt);
}

void readPlayerControls() {
    const char *config = std::getenv("XDG_CONFIG_HOME");
    const char *home = std::getenv("HOME");
    std::string path;
    if (home && home[0] == '/') path = std::string(home) + "/.config/grimvale/controls.conf";
    if (config && config[0] == '/') path = std::string(config) + "/grimvale/controls.conf";
    if (!path.empty()) readControlsFile(path.c_str());
}
