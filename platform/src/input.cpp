// SPDX-License-Identifier: GPL-3.0-or-later
// SDL events turned into the program's event queue (Windows virtual-key
// codes), and the polled key and mouse state.
#include "tallyfold/platform/input.h"

#include <algorithm>
#include <atomic>
#include <deque>

#include "internal.h"

namespace platform {
namespace {

// Enough for a long splash screen of polled input during which nobody takes
// events; past it the oldest go, so a stuck loop cannot eat memory.
constexpr size_t kMaxQueue = 4096;
constexpr size_t kMaxPolledChars = 256;

std::deque<Event> g_queue;
// Dropped files wait apart from the events: a path is no key or pointer state.
std::deque<std::string> g_dropped;
// The clipboard while no display is open.
std::string g_clipboard;
// Every queued event counts; an event leaves the queue taken or dropped.
uint64_t g_queued = 0, g_gone = 0;
int g_mouseX = 0, g_mouseY = 0;

struct Polled {
    bool on = true;
    int hits[256] = {};
    bool down[256] = {};
    std::deque<int> chars;
    int mouseHits[4] = {};
    bool mouseDown[4] = {};
    int x = 0, y = 0;
} g_polled;

std::atomic<int> g_terminate{0};
std::atomic<int> g_raise{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

void UpdatePolled(const Event& e) {
    auto& p = g_polled;
    switch (e.kind) {
        case EventKind::KeyDown:
            if (e.data >= 0 && e.data < 256) {
                ++p.hits[e.data];
                p.down[e.data] = true;
            }
            break;
        case EventKind::KeyUp:
            if (e.data >= 0 && e.data < 256) p.down[e.data] = false;
            break;
        case EventKind::KeyChar:
            if (p.chars.size() < kMaxPolledChars) p.chars.push_back(e.data);
            break;
        case EventKind::MouseDown:
            if (e.data >= 1 && e.data <= 3) {
                ++p.mouseHits[e.data];
                p.mouseDown[e.data] = true;
            }
            p.x = e.x;
            p.y = e.y;
            break;
        case EventKind::MouseUp:
            if (e.data >= 1 && e.data <= 3) p.mouseDown[e.data] = false;
            break;
        case EventKind::MouseMove:
            p.x = e.x;
            p.y = e.y;
            break;
        case EventKind::AppSuspend:
            // Releases that happen in another window never reach us.
            for (bool& d : p.down) d = false;
            for (bool& d : p.mouseDown) d = false;
            break;
        default:
            break;
    }
}

// Under a headless driver only posted events (scripts, tests) move the focus.
bool g_headlessFocus = true;

void Enqueue(const Event& e) {
    if (g_polled.on) UpdatePolled(e);
    if (e.kind == EventKind::AppSuspend || e.kind == EventKind::AppResume)
        g_headlessFocus = e.kind == EventKind::AppResume;
    // Only the latest pointer position matters; a burst of moves is one move.
    ++g_queued;
    if (e.kind == EventKind::MouseMove && !g_queue.empty() && g_queue.back().kind == EventKind::MouseMove) {
        g_queue.back() = e;
        ++g_gone;
        return;
    }
    if (g_queue.size() >= kMaxQueue) {
        g_queue.pop_front();
        ++g_gone;
    }
    g_queue.push_back(e);
}

void Emit(EventKind kind, int data) { Enqueue(Event{kind, data, g_mouseX, g_mouseY}); }

int MapScancode(SDL_Scancode sc) {
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return 'A' + (sc - SDL_SCANCODE_A);
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return '1' + (sc - SDL_SCANCODE_1);
    if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return vk::F1 + (sc - SDL_SCANCODE_F1);
    if (sc >= SDL_SCANCODE_F13 && sc <= SDL_SCANCODE_F24) return 0x7C + (sc - SDL_SCANCODE_F13);
    if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) return vk::NUMPAD0 + 1 + (sc - SDL_SCANCODE_KP_1);
    switch (sc) {
        case SDL_SCANCODE_0:
            return '0';
        case SDL_SCANCODE_RETURN:
            return vk::RETURN;
        case SDL_SCANCODE_ESCAPE:
            return vk::ESCAPE;
        case SDL_SCANCODE_BACKSPACE:
            return vk::BACK;
        case SDL_SCANCODE_TAB:
            return vk::TAB;
        case SDL_SCANCODE_SPACE:
            return vk::SPACE;
        case SDL_SCANCODE_MINUS:
            return vk::OEM_MINUS;
        case SDL_SCANCODE_EQUALS:
            return vk::OEM_PLUS;
        case SDL_SCANCODE_LEFTBRACKET:
            return 0xDB;
        case SDL_SCANCODE_RIGHTBRACKET:
            return 0xDD;
        case SDL_SCANCODE_BACKSLASH:
            return 0xDC;
        case SDL_SCANCODE_NONUSHASH:
            return 0xDC;
        case SDL_SCANCODE_SEMICOLON:
            return 0xBA;
        case SDL_SCANCODE_APOSTROPHE:
            return 0xDE;
        case SDL_SCANCODE_GRAVE:
            return 0xC0;
        case SDL_SCANCODE_COMMA:
            return vk::OEM_COMMA;
        case SDL_SCANCODE_PERIOD:
            return vk::OEM_PERIOD;
        case SDL_SCANCODE_SLASH:
            return 0xBF;
        case SDL_SCANCODE_NONUSBACKSLASH:
            return 0xE2;
        case SDL_SCANCODE_CAPSLOCK:
            return 0x14;
        case SDL_SCANCODE_PRINTSCREEN:
            return 0x2C;
        case SDL_SCANCODE_SCROLLLOCK:
            return 0x91;
        case SDL_SCANCODE_PAUSE:
            return vk::PAUSE;
        case SDL_SCANCODE_INSERT:
            return vk::INSERT;
        case SDL_SCANCODE_HOME:
            return vk::HOME;
        case SDL_SCANCODE_PAGEUP:
            return vk::PRIOR;
        case SDL_SCANCODE_DELETE:
            return vk::DELETE_;
        case SDL_SCANCODE_END:
            return vk::END;
        case SDL_SCANCODE_PAGEDOWN:
            return vk::NEXT;
        case SDL_SCANCODE_RIGHT:
            return vk::RIGHT;
        case SDL_SCANCODE_LEFT:
            return vk::LEFT;
        case SDL_SCANCODE_DOWN:
            return vk::DOWN;
        case SDL_SCANCODE_UP:
            return vk::UP;
        case SDL_SCANCODE_NUMLOCKCLEAR:
            return 0x90;
        case SDL_SCANCODE_KP_DIVIDE:
            return vk::DIVIDE;
        case SDL_SCANCODE_KP_MULTIPLY:
            return vk::MULTIPLY;
        case SDL_SCANCODE_KP_MINUS:
            return vk::SUBTRACT;
        case SDL_SCANCODE_KP_PLUS:
            return vk::ADD;
        case SDL_SCANCODE_KP_ENTER:
            return vk::RETURN;
        case SDL_SCANCODE_KP_0:
            return vk::NUMPAD0;
        case SDL_SCANCODE_KP_PERIOD:
            return vk::DECIMAL;
        case SDL_SCANCODE_APPLICATION:
            return 0x5D;
        case SDL_SCANCODE_LCTRL:
            return vk::LCONTROL;
        case SDL_SCANCODE_RCTRL:
            return vk::RCONTROL;
        case SDL_SCANCODE_LSHIFT:
            return vk::LSHIFT;
        case SDL_SCANCODE_RSHIFT:
            return vk::RSHIFT;
        case SDL_SCANCODE_LALT:
            return vk::LMENU;
        case SDL_SCANCODE_RALT:
            return vk::RMENU;
        case SDL_SCANCODE_LGUI:
            return 0x5B;
        case SDL_SCANCODE_RGUI:
            return 0x5C;
        default:
            return 0;
    }
}

bool g_sideDown[256] = {};

// The code each physical key went down with: NumLock may change while a
// keypad key is held, and its release must still let go of what it pressed.
int g_pressedAs[SDL_NUM_SCANCODES] = {};

void OnKey(const SDL_KeyboardEvent& k, bool pressed) {
    const SDL_Scancode sc = k.keysym.scancode;
    const bool known = sc > SDL_SCANCODE_UNKNOWN && sc < SDL_NUM_SCANCODES;
    int code = detail::MapKeysym(k.keysym);
    if (!pressed && known && g_pressedAs[sc]) code = g_pressedAs[sc];
    if (known && !k.repeat) g_pressedAs[sc] = pressed ? code : 0;
    if (pressed) {
        // Typing keys that produce no text event still type a character, as
        // text fields expect. Only Backspace repeats: a held Enter or Escape
        // must not confirm or cancel the next dialog as well.
        int typed = 0;
        if (code == vk::BACK)
            typed = 8;
        else if (code == vk::RETURN && !k.repeat)
            typed = 13;
        else if (code == vk::ESCAPE && !k.repeat)
            typed = 27;
        if (k.repeat) {
            if (typed) Emit(EventKind::KeyChar, typed);
            return;
        }
        if (code) {
            g_sideDown[code] = true;
            Emit(EventKind::KeyDown, code);
            if (int generic = detail::GenericModifier(code)) Emit(EventKind::KeyDown, generic);
        }
        if (typed) Emit(EventKind::KeyChar, typed);
    } else if (code) {
        g_sideDown[code] = false;
        Emit(EventKind::KeyUp, code);
        if (int generic = detail::GenericModifier(code)) {
            const int other = (code & 1) ? code - 1 : code + 1;  // the key on the other side
            if (!g_sideDown[other]) Emit(EventKind::KeyUp, generic);
        }
    }
}

// SDL hands pointer positions over in logical pixels; over the letterbox bars
// or during a drag past the window's edge they lie outside the logical screen,
// where the game's own pointer could not be seen. They stop at its edge.
void SetPointerFromWindow(int x, int y) {
    int w = 0, h = 0;
    detail::LogicalSize(w, h);
    if (w > 0 && h > 0) {
        x = std::clamp(x, 0, w - 1);
        y = std::clamp(y, 0, h - 1);
    }
    g_mouseX = x;
    g_mouseY = y;
}

int MapButton(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return 1;
        case SDL_BUTTON_RIGHT:
            return 2;
        case SDL_BUTTON_MIDDLE:
            return 3;
        default:
            return 0;
    }
}

}  // namespace

namespace detail {

int GenericModifier(int code) {
    switch (code) {
        case vk::LSHIFT:
        case vk::RSHIFT:
            return vk::SHIFT;
        case vk::LCONTROL:
        case vk::RCONTROL:
            return vk::CONTROL;
        case vk::LMENU:
        case vk::RMENU:
            return vk::MENU;
        default:
            return 0;
    }
}

int MapKeysym(const SDL_Keysym& keysym) {
    // Letters follow the layout (the key that types "A" is VK A); everything
    // else goes by position, as Windows reports the digit row and the keypad.
    if (keysym.sym >= SDLK_a && keysym.sym <= SDLK_z) return 'A' + static_cast<int>(keysym.sym - SDLK_a);
    // Without NumLock the keypad is the cursor block printed on its keys, as
    // on every desktop; with Shift held it types digits again for the moment.
    const bool numLock = (keysym.mod & KMOD_NUM) != 0;
    const bool shift = (keysym.mod & KMOD_SHIFT) != 0;
    if (numLock == shift) {
        switch (keysym.scancode) {
            case SDL_SCANCODE_KP_0:
                return vk::INSERT;
            case SDL_SCANCODE_KP_1:
                return vk::END;
            case SDL_SCANCODE_KP_2:
                return vk::DOWN;
            case SDL_SCANCODE_KP_3:
                return vk::NEXT;
            case SDL_SCANCODE_KP_4:
                return vk::LEFT;
            case SDL_SCANCODE_KP_5:
                return 0x0C;  // VK_CLEAR
            case SDL_SCANCODE_KP_6:
                return vk::RIGHT;
            case SDL_SCANCODE_KP_7:
                return vk::HOME;
            case SDL_SCANCODE_KP_8:
                return vk::UP;
            case SDL_SCANCODE_KP_9:
                return vk::PRIOR;
            case SDL_SCANCODE_KP_PERIOD:
                return vk::DELETE_;
            default:
                break;
        }
    }
    return MapScancode(keysym.scancode);
}

void EmitKey(EventKind kind, int data) { Emit(kind, data); }

void HandleSdlEvent(const SDL_Event& e) {
    if (HandleGamepadEvent(e)) return;
    switch (e.type) {
        case SDL_KEYDOWN:
            OnKey(e.key, true);
            break;
        case SDL_KEYUP:
            OnKey(e.key, false);
            break;
        case SDL_TEXTINPUT:
            for (uint32_t cp : DecodeUtf8(e.text.text)) Emit(EventKind::KeyChar, static_cast<int>(cp));
            break;
        case SDL_MOUSEMOTION:
            SetPointerFromWindow(e.motion.x, e.motion.y);
            Emit(EventKind::MouseMove, 0);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (int b = MapButton(e.button.button)) {
                SetPointerFromWindow(e.button.x, e.button.y);
                Emit(e.type == SDL_MOUSEBUTTONDOWN ? EventKind::MouseDown : EventKind::MouseUp, b);
            }
            break;
        case SDL_MOUSEWHEEL: {
            int steps = e.wheel.y;
            if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) steps = -steps;
            if (steps != 0) Emit(EventKind::MouseWheel, steps);
            break;
        }
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
                Emit(EventKind::AppSuspend, 0);
            else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
                Emit(EventKind::AppResume, 0);
            break;
        case SDL_QUIT:
            Emit(EventKind::AppTerminate, 0);
            break;
        case SDL_DROPFILE:
            if (e.drop.file) {
                if (g_dropped.size() < MaxDroppedFiles) g_dropped.emplace_back(e.drop.file);
                SDL_free(e.drop.file);
            }
            break;
        default:
            break;
    }
}

void RequestTermination() { g_terminate.store(1, std::memory_order_relaxed); }
void RequestRaise() { g_raise.store(1, std::memory_order_relaxed); }

uint64_t EventsQueued() { return g_queued; }
bool HeadlessFocus() { return g_headlessFocus; }
bool EventsTakenThrough(uint64_t count) { return g_gone >= count; }

void SetPointerPosition(int x, int y) {
    g_mouseX = g_polled.x = x;
    g_mouseY = g_polled.y = y;
}

}  // namespace detail

void PumpMessages() {
    if (g_terminate.exchange(0)) Emit(EventKind::AppTerminate, 0);
    if (g_raise.exchange(0)) detail::RaiseWindow();
    detail::PumpInputScript();
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) detail::HandleSdlEvent(e);
}

bool CloseRequestPending() {
    PumpMessages();
    return std::any_of(g_queue.begin(), g_queue.end(),
                       [](const Event& e) { return e.kind == EventKind::AppTerminate; });
}

bool PeekEvent(Event& out) {
    PumpMessages();
    if (g_queue.empty()) return false;
    out = g_queue.front();
    return true;
}

bool TakeEvent(Event& out) {
    if (g_queue.empty()) PumpMessages();
    if (g_queue.empty()) return false;
    out = g_queue.front();
    g_queue.pop_front();
    ++g_gone;
    return true;
}

void PostEvent(const Event& event) {
    if (event.kind == EventKind::MouseMove || event.kind == EventKind::MouseDown || event.kind == EventKind::MouseUp) {
        g_mouseX = event.x;
        g_mouseY = event.y;
    }
    Enqueue(event);
}

void ReturnEvents(const std::vector<Event>& events) {
    // They are queued again: not gone after all, until taken once more.
    g_gone -= events.size();
    g_queue.insert(g_queue.begin(), events.begin(), events.end());
    while (g_queue.size() > kMaxQueue) {
        g_queue.pop_back();
        ++g_gone;
    }
}

bool TakeDroppedFile(std::string& path) {
    PumpMessages();
    if (g_dropped.empty()) return false;
    path = std::move(g_dropped.front());
    g_dropped.pop_front();
    return true;
}

void ClearDroppedFiles() { g_dropped.clear(); }

bool SetClipboardText(const std::string& text) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        g_clipboard = text;
        return true;
    }
    return SDL_SetClipboardText(text.c_str()) == 0;
}

bool GetClipboardText(std::string& text, size_t maxBytes) {
    std::string got;
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        got = g_clipboard;
    } else {
        char* held = SDL_GetClipboardText();
        if (!held) return false;
        got = held;
        SDL_free(held);
    }
    if (got.empty() || got.size() > maxBytes) return false;
    text = std::move(got);
    return true;
}

void ClearEvents() {
    g_gone += g_queue.size();
    g_queue.clear();
}

void SetPolledInput(bool on) { g_polled.on = on; }
bool PolledInput() { return g_polled.on; }

namespace {
void PumpIfPolled() {
    if (g_polled.on) PumpMessages();
}
}  // namespace

int PolledKeyHit(int key) {
    PumpIfPolled();
    if (key < 0 || key >= 256) return 0;
    int n = g_polled.hits[key];
    g_polled.hits[key] = 0;
    return n;
}

int PolledKeyDown(int key) {
    PumpIfPolled();
    return (key >= 0 && key < 256 && g_polled.down[key]) ? 1 : 0;
}

int PolledGetChar() {
    PumpIfPolled();
    if (g_polled.chars.empty()) return 0;
    int c = g_polled.chars.front();
    g_polled.chars.pop_front();
    return c;
}

void PolledFlushKeys() {
    PumpIfPolled();
    for (int& h : g_polled.hits) h = 0;
    for (bool& d : g_polled.down) d = false;
    g_polled.chars.clear();
}

int PolledMouseHit(int button) {
    PumpIfPolled();
    if (button < 1 || button > 3) return 0;
    int n = g_polled.mouseHits[button];
    g_polled.mouseHits[button] = 0;
    return n;
}

int PolledMouseDown(int button) {
    PumpIfPolled();
    return (button >= 1 && button <= 3 && g_polled.mouseDown[button]) ? 1 : 0;
}

int PolledMouseX() {
    PumpIfPolled();
    return g_polled.x;
}

int PolledMouseY() {
    PumpIfPolled();
    return g_polled.y;
}

void PolledFlushMouse() {
    PumpIfPolled();
    for (int& h : g_polled.mouseHits) h = 0;
    for (bool& d : g_polled.mouseDown) d = false;
}

void MoveMouse(int x, int y) {
    g_mouseX = g_polled.x = x;
    g_mouseY = g_polled.y = y;
    detail::MoveMouseTo(x, y);
}

void ShowMouse() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(SDL_ENABLE);
}

void HideMouse() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(SDL_DISABLE);
}

}  // namespace platform
