// SPDX-License-Identifier: GPL-3.0-or-later
// Scripted input: lines read from a file or FIFO become events in the same
// queue that SDL input fills, paced by presented frames, with screenshots on
// request. The command set is described in input.h.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "internal.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

namespace platform {
namespace {

constexpr const char* kScriptVariable = "TALLYFOLD_INPUT_SCRIPT";
// No command needs more; a longer line is damage, not a command.
constexpr size_t kMaxLineBytes = 4096;
// Parsed steps held before more is read, so a huge script cannot eat memory.
constexpr size_t kMaxPendingSteps = 1024;
// The game's fixed-rate timer takes at most this much of a frame's time.
constexpr int kFrameCapMs = 50;
constexpr long kMaxWaitMs = 600000;
constexpr long kMaxCoordinate = 16383;
constexpr long kMaxWheel = 100;

struct Step {
    enum class Kind { Post, Wait, Shot, Frames, Hide, Show, Drop } kind = Kind::Post;
    std::vector<Event> events;
    bool movesPointer = false;
    int x = 0, y = 0;
    long ms = 0;
    std::string path;
};

struct Script {
    int fd = -1;
    bool environmentChecked = false;
    std::string partial;
    bool skippingLongLine = false;
    long lineNumber = 0;
    std::deque<Step> steps;
    // The pointer and keys as the script has left them.
    int x = 0, y = 0;
    bool held[256] = {};
    // Pacing: frames and play time counted at each frame's end (a flip, whether
    // or not it had anything new to show).
    unsigned long long frames = 0;
    unsigned long long resumeAtFrame = 0;
    // Posted events the program has still to take: the next command waits for
    // them and then for the end of a frame, so that the logic step that took
    // them is over before anything else arrives.
    bool awaitingTake = false;
    uint64_t postedThrough = 0;
    long long playMs = 0;
    bool clockStarted = false;
    int lastFrameClock = 0;
    bool waiting = false;
    long long waitUntil = 0;
    bool shotPending = false;
    std::string shotPath;
    bool framesPending = false;
    std::string framesPath;
};

Script g_script;

void Complain(const std::string& what) {
    std::fprintf(stderr, "input script line %ld: %s\n", g_script.lineNumber, what.c_str());
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// A whole decimal number within [low, high]; anything else is refused.
bool Number(std::string_view text, long low, long high, long& out) {
    long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    if (value < low || value > high) return false;
    out = value;
    return true;
}

int KeyCode(std::string_view word) {
    if (word.size() == 1) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
    }
    const std::string name = Lower(word);
    if (name.size() > 2 && name[0] == '0' && name[1] == 'x') {
        long value = 0;
        auto [end, error] = std::from_chars(name.data() + 2, name.data() + name.size(), value, 16);
        if (error == std::errc() && end == name.data() + name.size() && value >= 1 && value <= 255)
            return static_cast<int>(value);
        return 0;
    }
    long code = 0;
    if (Number(name, 1, 255, code)) return static_cast<int>(code);
    if (name.size() >= 2 && name[0] == 'f') {
        long n = 0;
        if (Number(std::string_view(name).substr(1), 1, 12, n)) return vk::F1 + static_cast<int>(n) - 1;
    }
    static const struct {
        const char* name;
        int code;
    } names[] = {
        {"return", vk::RETURN},  {"enter", vk::RETURN},      {"escape", vk::ESCAPE},  {"esc", vk::ESCAPE},
        {"space", vk::SPACE},    {"back", vk::BACK},         {"backspace", vk::BACK}, {"tab", vk::TAB},
        {"delete", vk::DELETE_}, {"insert", vk::INSERT},     {"home", vk::HOME},      {"end", vk::END},
        {"prior", vk::PRIOR},    {"pageup", vk::PRIOR},      {"next", vk::NEXT},      {"pagedown", vk::NEXT},
        {"left", vk::LEFT},      {"right", vk::RIGHT},       {"up", vk::UP},          {"down", vk::DOWN},
        {"shift", vk::SHIFT},    {"control", vk::CONTROL},   {"ctrl", vk::CONTROL},   {"menu", vk::MENU},
        {"alt", vk::MENU},       {"lshift", vk::LSHIFT},     {"rshift", vk::RSHIFT},  {"lcontrol", vk::LCONTROL},
        {"lctrl", vk::LCONTROL}, {"rcontrol", vk::RCONTROL}, {"rctrl", vk::RCONTROL}, {"lmenu", vk::LMENU},
        {"lalt", vk::LMENU},     {"rmenu", vk::RMENU},       {"ralt", vk::RMENU},     {"pause", vk::PAUSE},
    };
    for (const auto& entry : names)
        if (name == entry.name) return entry.code;
    return 0;
}

bool ShiftHeld() {
    const auto& held = g_script.held;
    return held[vk::SHIFT] || held[vk::LSHIFT] || held[vk::RSHIFT];
}

// The character a keyboard types with the key, as the SDL path delivers it.
int TypedBy(int code) {
    if (code >= 'A' && code <= 'Z') return ShiftHeld() ? code : code - 'A' + 'a';
    if (code >= '0' && code <= '9') return code;
    if (code >= vk::NUMPAD0 && code <= vk::NUMPAD0 + 9) return '0' + code - vk::NUMPAD0;
    switch (code) {
        case vk::SPACE:
            return ' ';
        case vk::BACK:
            return 8;
        case vk::RETURN:
            return 13;
        case vk::ESCAPE:
            return 27;
        default:
            return 0;
    }
}

Step Post(std::vector<Event> events) {
    Step step;
    step.events = std::move(events);
    return step;
}

Event At(EventKind kind, int data) { return Event{kind, data, g_script.x, g_script.y}; }

// Keys are tracked at parse time: steps run in order, so the state seen while
// parsing is the state the events will be posted in.
Step KeyStep(int code, bool down) {
    std::vector<Event> events;
    auto& held = g_script.held;
    if (down) {
        held[code] = true;
        events.push_back(Event{EventKind::KeyDown, code, 0, 0});
        if (int generic = detail::GenericModifier(code)) {
            held[generic] = true;
            events.push_back(Event{EventKind::KeyDown, generic, 0, 0});
        }
        if (int typed = TypedBy(code)) events.push_back(Event{EventKind::KeyChar, typed, 0, 0});
    } else {
        held[code] = false;
        events.push_back(Event{EventKind::KeyUp, code, 0, 0});
        if (int generic = detail::GenericModifier(code)) {
            const int other = (code & 1) ? code - 1 : code + 1;
            if (!held[other]) {
                held[generic] = false;
                events.push_back(Event{EventKind::KeyUp, generic, 0, 0});
            }
        }
    }
    return Post(std::move(events));
}

Step MoveStep(int x, int y) {
    g_script.x = x;
    g_script.y = y;
    Step step = Post({Event{EventKind::MouseMove, 0, x, y}});
    step.movesPointer = true;
    step.x = x;
    step.y = y;
    return step;
}

void Parse(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos) return;
    line.remove_prefix(first);
    if (line[0] == '#') return;
    const auto words = Words(line);
    const std::string command = Lower(words[0]);
    const size_t argc = words.size() - 1;
    auto& steps = g_script.steps;
    auto expect = [&](size_t n) {
        if (argc == n) return true;
        Complain("\"" + command + "\" takes " + std::to_string(n) + " argument" + (n == 1 ? "" : "s"));
        return false;
    };
    auto coordinates = [&](long& x, long& y) {
        if (!expect(2)) return false;
        if (Number(words[1], 0, kMaxCoordinate, x) && Number(words[2], 0, kMaxCoordinate, y)) return true;
        Complain("coordinates must be whole numbers 0.." + std::to_string(kMaxCoordinate));
        return false;
    };
    auto button = [&](long& b) {
        if (!expect(1)) return false;
        if (Number(words[1], 1, 3, b)) return true;
        Complain("a button is 1, 2 or 3");
        return false;
    };
    auto key = [&](int& code) {
        if (!expect(1)) return false;
        code = KeyCode(words[1]);
        if (code) return true;
        Complain("unknown key \"" + std::string(words[1]) + "\"");
        return false;
    };
    // The rest of the line after the command word and one blank, kept as written.
    auto rest = [&] {
        std::string_view tail = line.substr(words[0].size());
        if (!tail.empty()) tail.remove_prefix(1);
        return tail;
    };

    long a = 0, b = 0;
    int code = 0;
    if (command == "wait") {
        if (!expect(1)) return;
        if (!Number(words[1], 0, kMaxWaitMs, a)) return Complain("wait takes 0.." + std::to_string(kMaxWaitMs) + " ms");
        Step step;
        step.kind = Step::Kind::Wait;
        step.ms = a;
        steps.push_back(step);
    } else if (command == "move") {
        if (coordinates(a, b)) steps.push_back(MoveStep(static_cast<int>(a), static_cast<int>(b)));
    } else if (command == "click") {
        if (!coordinates(a, b)) return;
        steps.push_back(MoveStep(static_cast<int>(a), static_cast<int>(b)));
        steps.push_back(Post({At(EventKind::MouseDown, 1)}));
        steps.push_back(Post({At(EventKind::MouseUp, 1)}));
    } else if (command == "down" || command == "up") {
        if (button(a))
            steps.push_back(Post({At(command == "down" ? EventKind::MouseDown : EventKind::MouseUp, int(a))}));
    } else if (command == "wheel") {
        if (!expect(1)) return;
        if (!Number(words[1], -kMaxWheel, kMaxWheel, a) || a == 0)
            return Complain("wheel takes -" + std::to_string(kMaxWheel) + ".." + std::to_string(kMaxWheel) + ", not 0");
        steps.push_back(Post({At(EventKind::MouseWheel, static_cast<int>(a))}));
    } else if (command == "key") {
        if (!key(code)) return;
        steps.push_back(KeyStep(code, true));
        steps.push_back(KeyStep(code, false));
    } else if (command == "keydown" || command == "keyup") {
        if (key(code)) steps.push_back(KeyStep(code, command == "keydown"));
    } else if (command == "type") {
        std::vector<Event> events;
        for (uint32_t c : detail::DecodeUtf8(std::string(rest())))
            events.push_back(Event{EventKind::KeyChar, static_cast<int>(c), 0, 0});
        if (events.empty()) return Complain("type needs some text");
        steps.push_back(Post(std::move(events)));
    } else if (command == "shot") {
        const std::string path(rest());
        if (path.empty() || path.find('\0') != std::string::npos) return Complain("shot needs a file name");
        Step step;
        step.kind = Step::Kind::Shot;
        step.path = path;
        steps.push_back(step);
    } else if (command == "frames") {
        const std::string path(rest());
        if (path.empty() || path.find('\0') != std::string::npos) return Complain("frames needs a file name");
        Step step;
        step.kind = Step::Kind::Frames;
        step.path = path;
        steps.push_back(step);
    } else if (command == "hide" || command == "show") {
        if (!expect(0)) return;
        Step step;
        step.kind = command == "hide" ? Step::Kind::Hide : Step::Kind::Show;
        steps.push_back(step);
    } else if (command == "focus") {
        if (!expect(1)) return;
        const std::string how = Lower(words[1]);
        if (how != "in" && how != "out") return Complain("focus takes in or out");
        steps.push_back(Post({Event{how == "in" ? EventKind::AppResume : EventKind::AppSuspend, 0, 0, 0}}));
    } else if (command == "drop") {
        const std::string path(rest());
        if (path.empty() || path.find('\0') != std::string::npos) return Complain("drop needs a file name");
        Step step;
        step.kind = Step::Kind::Drop;
        step.path = path;
        steps.push_back(step);
    } else if (command == "close") {
        if (expect(0)) steps.push_back(Post({Event{EventKind::AppTerminate, 0, 0, 0}}));
    } else {
        Complain("unknown command \"" + std::string(words[0]) + "\"");
    }
}

void Feed(const char* data, size_t size) {
    auto& s = g_script;
    for (size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\n') {
            ++s.lineNumber;
            if (s.skippingLongLine)
                Complain("longer than " + std::to_string(kMaxLineBytes) + " bytes; skipped");
            else
                Parse(s.partial);
            s.partial.clear();
            s.skippingLongLine = false;
        } else if (!s.skippingLongLine) {
            if (s.partial.size() >= kMaxLineBytes) {
                s.partial.clear();
                s.skippingLongLine = true;
            } else {
                s.partial.push_back(c);
            }
        }
    }
}

void ReadAvailable() {
    auto& s = g_script;
    char buffer[4096];
    while (s.fd >= 0 && s.steps.size() < kMaxPendingSteps) {
        const ssize_t n = ::read(s.fd, buffer, sizeof buffer);
        if (n > 0) {
            Feed(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // 0: nobody is writing yet, or the file has not grown; EAGAIN: nothing now.
        if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK) return;
        std::fprintf(stderr, "input script: reading stopped: %s\n", std::strerror(errno));
        ::close(s.fd);
        s.fd = -1;
    }
}

void RunSteps() {
    auto& s = g_script;
    while (!s.steps.empty()) {
        if (s.awaitingTake || s.frames < s.resumeAtFrame || s.shotPending || s.framesPending) return;
        if (s.waiting) {
            if (s.playMs < s.waitUntil) return;
            s.waiting = false;
        }
        Step step = std::move(s.steps.front());
        s.steps.pop_front();
        switch (step.kind) {
            case Step::Kind::Post:
                if (step.movesPointer) detail::SetPointerPosition(step.x, step.y);
                for (const Event& e : step.events) PostEvent(e);
                s.awaitingTake = true;
                s.postedThrough = detail::EventsQueued();
                break;
            case Step::Kind::Wait:
                s.waiting = true;
                s.waitUntil = s.playMs + step.ms;
                break;
            case Step::Kind::Shot:
                s.shotPending = true;
                s.shotPath = step.path;
                break;
            case Step::Kind::Frames:
                s.framesPending = true;
                s.framesPath = step.path;
                break;
            case Step::Kind::Hide:
            case Step::Kind::Show:
                // As a window manager would unmap and map the window.
                if (SDL_Window* window = detail::Window())
                    step.kind == Step::Kind::Hide ? SDL_HideWindow(window) : SDL_ShowWindow(window);
                s.resumeAtFrame = s.frames + 1;
                break;
            case Step::Kind::Drop: {
                // Through SDL's own queue, as a file manager's drop arrives.
                SDL_Event drop{};
                drop.type = SDL_DROPFILE;
                drop.drop.file = SDL_strdup(step.path.c_str());
                if (SDL_PushEvent(&drop) != 1) SDL_free(drop.drop.file);
                s.resumeAtFrame = s.frames + 1;
                break;
            }
        }
    }
}

// PATH.tmp first, then renamed, so that a watcher never reads half a file.
void WriteAtomically(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".tmp";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f) ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "input script: could not write %s\n", path.c_str());
        std::remove(temporary.c_str());
    }
}

void WriteFrames() {
    auto& s = g_script;
    s.framesPending = false;
    WriteAtomically(s.framesPath, std::to_string(PresentedFrames()) + "\n");
}

void WriteShot() {
    auto& s = g_script;
    s.shotPending = false;
    SDL_Renderer* renderer = detail::Renderer();
    int w = 0, h = 0;
    if (renderer) SDL_RenderGetLogicalSize(renderer, &w, &h);
    if (renderer && (w <= 0 || h <= 0)) SDL_GetRendererOutputSize(renderer, &w, &h);
    auto picture = renderer ? GrabPixmap(0, 0, w, h) : nullptr;
    const std::string temporary = s.shotPath + ".tmp";
    if (!picture || !picture->SavePNG(temporary) || std::rename(temporary.c_str(), s.shotPath.c_str()) != 0) {
        std::fprintf(stderr, "input script: could not write the screenshot %s\n", s.shotPath.c_str());
        std::remove(temporary.c_str());
    }
}

}  // namespace

bool OpenInputScript(const std::string& path) {
    CloseInputScript();
    g_script.environmentChecked = true;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        std::fprintf(stderr, "input script: cannot open %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    g_script.fd = fd;
    return true;
}

size_t ParseInputScript(std::string_view text) {
    CloseInputScript();
    Feed(text.data(), text.size());
    const size_t steps = g_script.steps.size();
    CloseInputScript();
    return steps;
}

void CloseInputScript() {
    if (g_script.fd >= 0) ::close(g_script.fd);
    g_script = Script{};
    g_script.environmentChecked = true;
}

bool InputScriptOpen() { return g_script.fd >= 0; }

namespace detail {

void PumpInputScript() {
    auto& s = g_script;
    if (!s.environmentChecked) {
        s.environmentChecked = true;
        const char* path = std::getenv(kScriptVariable);
        if (path && *path) OpenInputScript(path);
    }
    if (s.fd < 0 && s.steps.empty()) return;
    ReadAvailable();
    RunSteps();
}

bool InputScriptHasSteps() {
    const auto& s = g_script;
    return !s.steps.empty() || s.awaitingTake || s.shotPending || s.framesPending;
}

void WaitForScript(int ms) {
    const int fd = g_script.fd;
    struct stat st;
    if (fd < 0 || ms <= 0 || ::fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) {
        Delay(ms);
        return;
    }
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, ms);
    // A FIFO that nobody writes to reports a hang-up at once: no reason to wake.
    if (ready > 0 && !(p.revents & POLLIN)) Delay(ms);
}

void BeforePresent() {
    auto& s = g_script;
    if (s.fd < 0 && s.steps.empty() && !s.shotPending && !s.framesPending) return;
    const int now = MilliSecs();
    if (s.clockStarted) {
        // Unsigned difference: the clock wraps.
        const int elapsed = static_cast<int>(static_cast<unsigned>(now) - static_cast<unsigned>(s.lastFrameClock));
        if (elapsed > 0) s.playMs += std::min(elapsed, kFrameCapMs);
    }
    s.clockStarted = true;
    s.lastFrameClock = now;
    ++s.frames;
    // Polled input (the splash) sees events as they arrive, without taking them.
    if (s.awaitingTake && (detail::EventsTakenThrough(s.postedThrough) || PolledInput())) {
        s.awaitingTake = false;
        s.resumeAtFrame = s.frames;
    }
    if (s.shotPending) WriteShot();
    if (s.framesPending) WriteFrames();
}

}  // namespace detail
}  // namespace platform
