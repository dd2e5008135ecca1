// SPDX-License-Identifier: GPL-3.0-or-later
#include <SDL.h>

#include <csignal>
#include <cstring>

#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"
#include "test_support.h"

using namespace platform;

namespace {

class InputTest : public tftest::GraphicsTest {
protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        Drain();
        SetPolledInput(false);
    }
    void TearDown() override { SetPolledInput(true); }

    static std::vector<Event> Drain() {
        PumpMessages();
        std::vector<Event> out;
        Event e;
        while (TakeEvent(e)) out.push_back(e);
        return out;
    }

    static void Key(bool down, SDL_Scancode sc, SDL_Keycode sym, bool repeat = false, Uint16 mod = 0) {
        SDL_Event e;
        std::memset(&e, 0, sizeof e);
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat ? 1 : 0;
        e.key.keysym.scancode = sc;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }

    static void Tap(SDL_Scancode sc, SDL_Keycode sym, Uint16 mod = 0) {
        Key(true, sc, sym, false, mod);
        Key(false, sc, sym, false, mod);
    }

    static void Text(const char* utf8) {
        SDL_Event e;
        std::memset(&e, 0, sizeof e);
        e.type = SDL_TEXTINPUT;
        std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
        SDL_PushEvent(&e);
    }

    static void Window(Uint8 what) {
        SDL_Event e;
        std::memset(&e, 0, sizeof e);
        e.type = SDL_WINDOWEVENT;
        e.window.event = what;
        SDL_PushEvent(&e);
    }

    using Seq = std::vector<std::pair<EventKind, int>>;
    static Seq Kinds(const std::vector<Event>& events) {
        Seq out;
        for (const auto& e : events) out.emplace_back(e.kind, e.data);
        return out;
    }
};

TEST_F(InputTest, KeysArriveAsVirtualKeyCodes) {
    Tap(SDL_SCANCODE_A, SDLK_a);
    Tap(SDL_SCANCODE_A, SDLK_q);          // a French keyboard: the key that types Q is VK Q
    Tap(SDL_SCANCODE_1, SDLK_AMPERSAND);  // the digit row goes by position
    Tap(SDL_SCANCODE_KP_5, SDLK_KP_5, KMOD_NUM);
    Tap(SDL_SCANCODE_F5, SDLK_F5);
    Tap(SDL_SCANCODE_LEFT, SDLK_LEFT);
    Tap(SDL_SCANCODE_EQUALS, SDLK_EQUALS);
    Seq expected = {{EventKind::KeyDown, 'A'},          {EventKind::KeyUp, 'A'},
                    {EventKind::KeyDown, 'Q'},          {EventKind::KeyUp, 'Q'},
                    {EventKind::KeyDown, '1'},          {EventKind::KeyUp, '1'},
                    {EventKind::KeyDown, 0x65},         {EventKind::KeyUp, 0x65},
                    {EventKind::KeyDown, vk::F1 + 4},   {EventKind::KeyUp, vk::F1 + 4},
                    {EventKind::KeyDown, vk::LEFT},     {EventKind::KeyUp, vk::LEFT},
                    {EventKind::KeyDown, vk::OEM_PLUS}, {EventKind::KeyUp, vk::OEM_PLUS}};
    EXPECT_EQ(Kinds(Drain()), expected);
}

TEST_F(InputTest, KeypadFollowsNumLock) {
    // Digits with NumLock; the cursor block printed on the keys without it;
    // Shift swaps the two for as long as it is held.
    Tap(SDL_SCANCODE_KP_7, SDLK_KP_7, KMOD_NUM);
    Tap(SDL_SCANCODE_KP_7, SDLK_HOME);
    Tap(SDL_SCANCODE_KP_8, SDLK_UP, KMOD_NUM | KMOD_LSHIFT);
    Tap(SDL_SCANCODE_KP_0, SDLK_KP_0, KMOD_LSHIFT);
    Tap(SDL_SCANCODE_KP_PERIOD, SDLK_DELETE);
    Tap(SDL_SCANCODE_KP_5, SDLK_KP_5);
    // NumLock goes off while a keypad digit is held: its release lets go of the digit.
    Key(true, SDL_SCANCODE_KP_3, SDLK_KP_3, false, KMOD_NUM);
    Key(false, SDL_SCANCODE_KP_3, SDLK_PAGEDOWN);
    Seq expected = {
        {EventKind::KeyDown, vk::NUMPAD0 + 7}, {EventKind::KeyUp, vk::NUMPAD0 + 7}, {EventKind::KeyDown, vk::HOME},
        {EventKind::KeyUp, vk::HOME},          {EventKind::KeyDown, vk::UP},        {EventKind::KeyUp, vk::UP},
        {EventKind::KeyDown, vk::NUMPAD0},     {EventKind::KeyUp, vk::NUMPAD0},     {EventKind::KeyDown, vk::DELETE_},
        {EventKind::KeyUp, vk::DELETE_},       {EventKind::KeyDown, 0x0C},          {EventKind::KeyUp, 0x0C},
        {EventKind::KeyDown, vk::NUMPAD0 + 3}, {EventKind::KeyUp, vk::NUMPAD0 + 3}};
    EXPECT_EQ(Kinds(Drain()), expected);
}

TEST_F(InputTest, ModifiersReportTheirSideAndTheGenericCode) {
    Key(true, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT);
    Key(true, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT);
    Key(false, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT);  // the right one is still held
    Key(false, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT);
    Tap(SDL_SCANCODE_RALT, SDLK_RALT);
    Seq expected = {{EventKind::KeyDown, vk::LSHIFT}, {EventKind::KeyDown, vk::SHIFT}, {EventKind::KeyDown, vk::RSHIFT},
                    {EventKind::KeyDown, vk::SHIFT},  {EventKind::KeyUp, vk::LSHIFT},  {EventKind::KeyUp, vk::RSHIFT},
                    {EventKind::KeyUp, vk::SHIFT},    {EventKind::KeyDown, vk::RMENU}, {EventKind::KeyDown, vk::MENU},
                    {EventKind::KeyUp, vk::RMENU},    {EventKind::KeyUp, vk::MENU}};
    EXPECT_EQ(Kinds(Drain()), expected);
}

TEST_F(InputTest, TypedCharactersIncludingEditingKeys) {
    Text("a\xC3\xA9\xE2\x82\xAC");  // a, e acute, euro sign
    Key(true, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE);
    Key(true, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, true);  // held: types again
    Key(false, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE);
    Key(true, SDL_SCANCODE_RETURN, SDLK_RETURN);
    Key(true, SDL_SCANCODE_RETURN, SDLK_RETURN, true);  // held Enter confirms once
    Key(true, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    Seq expected = {{EventKind::KeyChar, 'a'},        {EventKind::KeyChar, 0xE9},       {EventKind::KeyChar, 0x20AC},
                    {EventKind::KeyDown, vk::BACK},   {EventKind::KeyChar, 8},          {EventKind::KeyChar, 8},
                    {EventKind::KeyUp, vk::BACK},     {EventKind::KeyDown, vk::RETURN}, {EventKind::KeyChar, 13},
                    {EventKind::KeyDown, vk::ESCAPE}, {EventKind::KeyChar, 27}};
    EXPECT_EQ(Kinds(Drain()), expected);
}

TEST_F(InputTest, MouseWindowAndQuitEvents) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 10;
    e.motion.y = 20;
    SDL_PushEvent(&e);
    e.motion.x = 30;  // a second move right after replaces the first
    e.motion.y = 40;
    SDL_PushEvent(&e);
    std::memset(&e, 0, sizeof e);
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_RIGHT;
    e.button.x = 31;
    e.button.y = 41;
    SDL_PushEvent(&e);
    e.type = SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_MIDDLE;
    SDL_PushEvent(&e);
    std::memset(&e, 0, sizeof e);
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = -2;
    SDL_PushEvent(&e);
    Window(SDL_WINDOWEVENT_FOCUS_LOST);
    Window(SDL_WINDOWEVENT_FOCUS_GAINED);
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);

    auto events = Drain();
    Seq expected = {{EventKind::MouseMove, 0},   {EventKind::MouseDown, 2},  {EventKind::MouseUp, 3},
                    {EventKind::MouseWheel, -2}, {EventKind::AppSuspend, 0}, {EventKind::AppResume, 0},
                    {EventKind::AppTerminate, 0}};
    ASSERT_EQ(Kinds(events), expected);
    EXPECT_EQ(events[0].x, 30);
    EXPECT_EQ(events[0].y, 40);
    EXPECT_EQ(events[1].x, 31);
    EXPECT_EQ(events[3].y, 41);  // the wheel carries the pointer position

    // Past the logical screen (a letterbox bar, a drag beyond the window's
    // edge) the pointer stops at its edge.
    std::memset(&e, 0, sizeof e);
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 900;
    e.motion.y = -3;
    SDL_PushEvent(&e);
    events = Drain();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].x, 799);
    EXPECT_EQ(events[0].y, 0);
}

TEST_F(InputTest, QueueOperations) {
    PostEvent(Event{EventKind::KeyDown, 'X', 0, 0});
    PostEvent(Event{EventKind::KeyUp, 'X', 0, 0});
    Event e;
    ASSERT_TRUE(PeekEvent(e));
    EXPECT_EQ(e.kind, EventKind::KeyDown);
    ASSERT_TRUE(PeekEvent(e));  // peeking leaves it there
    EXPECT_EQ(e.kind, EventKind::KeyDown);
    ASSERT_TRUE(TakeEvent(e));
    ASSERT_TRUE(TakeEvent(e));
    EXPECT_EQ(e.kind, EventKind::KeyUp);
    EXPECT_FALSE(TakeEvent(e));
    EXPECT_FALSE(PeekEvent(e));

    // Nobody taking events for a long time costs bounded memory; the newest stay.
    for (int i = 0; i < 10000; ++i) PostEvent(Event{EventKind::KeyChar, i, 0, 0});
    auto events = Drain();
    EXPECT_LE(events.size(), 4096u);
    EXPECT_EQ(events.back().data, 9999);
    PostEvent(Event{EventKind::KeyChar, 1, 0, 0});
    ClearEvents();
    EXPECT_FALSE(TakeEvent(e));
}

TEST_F(InputTest, PolledInputKeepsItsOwnState) {
    Tap(SDL_SCANCODE_A, SDLK_a);  // while off: not counted
    PumpMessages();
    SetPolledInput(true);
    EXPECT_EQ(PolledKeyHit('A'), 0);

    Tap(SDL_SCANCODE_A, SDLK_a);
    Tap(SDL_SCANCODE_A, SDLK_a);
    Key(true, SDL_SCANCODE_B, SDLK_b);
    Text("xy");
    EXPECT_EQ(PolledKeyHit('A'), 2);
    EXPECT_EQ(PolledKeyHit('A'), 0);
    EXPECT_EQ(PolledKeyDown('A'), 0);
    EXPECT_EQ(PolledKeyDown('B'), 1);
    EXPECT_EQ(PolledGetChar(), 'x');
    EXPECT_EQ(PolledGetChar(), 'y');
    EXPECT_EQ(PolledGetChar(), 0);
    EXPECT_EQ(PolledKeyHit(-1), 0);
    EXPECT_EQ(PolledKeyDown(999), 0);

    PostEvent(Event{EventKind::MouseDown, 1, 12, 34});
    EXPECT_EQ(PolledMouseHit(1), 1);
    EXPECT_EQ(PolledMouseDown(1), 1);
    EXPECT_EQ(PolledMouseX(), 12);
    EXPECT_EQ(PolledMouseY(), 34);
    // Focus lost: whatever is held now is released where we cannot see it.
    Window(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(PolledKeyDown('B'), 0);
    EXPECT_EQ(PolledMouseDown(1), 0);

    Key(true, SDL_SCANCODE_C, SDLK_c);
    PostEvent(Event{EventKind::MouseDown, 2, 0, 0});
    PolledFlushKeys();
    PolledFlushMouse();
    EXPECT_EQ(PolledKeyHit('C'), 0);
    EXPECT_EQ(PolledKeyDown('C'), 0);
    EXPECT_EQ(PolledMouseHit(2), 0);

    MoveMouse(400, 300);
    EXPECT_EQ(PolledMouseX(), 400);
    HideMouse();
    ShowMouse();
}

TEST_F(InputTest, TerminationSignalsBecomeAnEvent) {
    InstallTerminationSignals();
    std::raise(SIGTERM);
    std::raise(SIGINT);  // two signals before a pump: one request
    Seq expected = {{EventKind::AppTerminate, 0}};
    EXPECT_EQ(Kinds(Drain()), expected);
    // The terminal went away or the session ends.
    std::raise(SIGHUP);
    EXPECT_EQ(Kinds(Drain()), expected);
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    signal(SIGHUP, SIG_DFL);
}

}  // namespace
