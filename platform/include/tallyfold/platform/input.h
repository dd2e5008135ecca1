// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Event queue (keys as Windows virtual-key codes) and polled input.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Shift, Ctrl and Alt report their side's code (LSHIFT, RCONTROL, ...) and then
// the generic one (SHIFT, CONTROL, MENU); the generic key goes up when neither
// side is held. Held keys do not repeat KeyDown. Backspace, Enter and Escape
// also type their characters 8, 13 and 27; only Backspace repeats them.
enum class EventKind {
    None,
    KeyDown,    // data = virtual-key code
    KeyUp,      // data = virtual-key code
    KeyChar,    // data = character code (Unicode)
    MouseDown,  // data = 1 left, 2 right, 3 middle
    MouseUp,
    MouseMove,     // x, y in logical pixels
    MouseWheel,    // data = wheel steps
    AppSuspend,    // window deactivated
    AppResume,     // window activated
    AppTerminate,  // close box, system close, SIGINT or SIGTERM
};

struct Event {
    EventKind kind = EventKind::None;
    int data = 0;
    int x = 0;
    int y = 0;
};

// Pumps the system's messages, then reports the next event without removing it.
bool PeekEvent(Event& out);
// Removes the next event; false when the queue is empty.
bool TakeEvent(Event& out);
void PumpMessages();
// Returns as soon as an event is queued, or after ms milliseconds: a loop with
// nothing to do sleeps here instead of spinning.
void WaitForInput(int ms);
// Pumps, then tells whether a close request (AppTerminate) is waiting in the
// queue; it stays there for whoever reads the queue.
bool CloseRequestPending();
// Queues an event as if it came from the system (tests, signal handlers).
void PostEvent(const Event& event);
// Puts taken events back at the front of the queue, in their order, for the
// next reader (events a logic step leaves for the next one).
void ReturnEvents(const std::vector<Event>& events);
void ClearEvents();

// Files dropped on the window, oldest first: the path as the system gave it. Only
// the first MaxDroppedFiles wait; later ones are forgotten until those are taken.
inline constexpr size_t MaxDroppedFiles = 16;
bool TakeDroppedFile(std::string& path);
void ClearDroppedFiles();

// The system clipboard's text. Without a display the text stays inside the program,
// so that copy and paste still meet. Get: false when there is no text, or more than
// maxBytes of it (nothing is returned then).
bool SetClipboardText(const std::string& text);
bool GetClipboardText(std::string& text, size_t maxBytes);

// Polled input: while on, the platform keeps its own key and button state.
void SetPolledInput(bool on);
bool PolledInput();
int PolledKeyHit(int key);
int PolledKeyDown(int key);
int PolledGetChar();
void PolledFlushKeys();
int PolledMouseHit(int button);
int PolledMouseDown(int button);
int PolledMouseX();
int PolledMouseY();
void PolledFlushMouse();

// Scripted input, for driving the real program without a person at it (end-to-end
// tests, demos). When TALLYFOLD_INPUT_SCRIPT names a file (usually a FIFO that the
// driver keeps writing to), the first pump opens it without blocking; every pump
// afterwards reads what has arrived and turns whole lines into events posted
// through the same queue as real input, so the framework's tables and the polled
// queries see them exactly as they would see a person. A partial line waits for
// its end; end of file only means "nothing yet" (a FIFO without a writer, a file
// still growing), so the script is polled until the program ends. Without the
// variable nothing is opened or read.
//
// One command per line; blank lines and lines starting with '#' are skipped.
// Commands and key names are case-insensitive; numbers are decimal.
//   wait MS        hold the following commands for MS ms (0..600000). Only time
//                  between frames counts, at most 50 ms per frame, as the game's
//                  fixed-rate logic counts it: on a stalled or loaded machine the
//                  script slows down with the game. A frame ends at every flip,
//                  whether or not it had anything new to show.
//   move X Y       pointer to logical (X, Y), 0..16383; the polled pointer
//                  position follows.
//   down B, up B   button B (1 left, 2 right, 3 middle) at the pointer.
//   click X Y      move, press and release left as three separate steps.
//   wheel N        N wheel steps (-100..100, not 0).
//   key K          key K down (with the character it types, as a keyboard
//                  would: letters, digits, space, Backspace, Enter, Escape), then
//                  up. K is a letter or digit, a name (RETURN/ENTER, ESCAPE/ESC,
//                  SPACE, BACK/BACKSPACE, TAB, DELETE, INSERT, HOME, END, PRIOR/
//                  PAGEUP, NEXT/PAGEDOWN, LEFT, RIGHT, UP, DOWN, SHIFT, CONTROL/
//                  CTRL, MENU/ALT and their L/R forms, PAUSE, F1..F12) or a
//                  virtual-key code 1..255 (decimal or 0x hex).
//   keydown K, keyup K   one half of that, to hold keys (Ctrl-click, Shift).
//   type TEXT      the characters of the rest of the line (UTF-8), with no key
//                  events, as an input method delivers text.
//   shot PATH      write the picture at the end of the next frame as a PNG to
//                  PATH (relative to the folder the program was started from):
//                  first PATH.tmp, then renamed, so a watcher never reads half a
//                  file. Later commands wait until it is written.
//   frames PATH    write the number of pictures presented so far (decimal, one
//                  line) to PATH at the end of the next frame, as shot does.
//   hide, show     hide the window and show it again, as a window manager does
//                  when it unmaps and maps it.
//   focus out, focus in   the window loses or regains the input focus.
//   close          as the window's close box.
//   drop PATH      the file PATH (the rest of the line) dropped on the window, as a
//                  file manager drops it.
// After a command that posts input, the next command waits until the program
// has taken those events and the frame it took them in has ended, so a press
// and its release never land in one logic step.
// A line that is not understood is skipped with one line on stderr.
bool OpenInputScript(const std::string& path);
// Reads script text as the pump reads a script's bytes, without running anything:
// the number of steps its lines give (a partial last line gives none). Whatever an
// open script had pending is forgotten (tests, fuzzing).
size_t ParseInputScript(std::string_view text);
// Stops reading and forgets everything pending.
void CloseInputScript();
bool InputScriptOpen();

// The system pointer.
void MoveMouse(int x, int y);
void ShowMouse();
void HideMouse();

// Virtual-key codes the framework uses by name.
namespace vk {
constexpr int BACK = 0x08, TAB = 0x09, RETURN = 0x0D, SHIFT = 0x10, CONTROL = 0x11, MENU = 0x12, PAUSE = 0x13,
              ESCAPE = 0x1B, SPACE = 0x20, PRIOR = 0x21, NEXT = 0x22, END = 0x23, HOME = 0x24, LEFT = 0x25, UP = 0x26,
              RIGHT = 0x27, DOWN = 0x28, INSERT = 0x2D, DELETE_ = 0x2E, KEY_0 = 0x30, KEY_A = 0x41, NUMPAD0 = 0x60,
              MULTIPLY = 0x6A, ADD = 0x6B, SUBTRACT = 0x6D, DECIMAL = 0x6E, DIVIDE = 0x6F, F1 = 0x70, F11 = 0x7A,
              F12 = 0x7B, LSHIFT = 0xA0, RSHIFT = 0xA1, LCONTROL = 0xA2, RCONTROL = 0xA3, LMENU = 0xA4, RMENU = 0xA5,
              OEM_PLUS = 0xBB, OEM_COMMA = 0xBC, OEM_MINUS = 0xBD, OEM_PERIOD = 0xBE;
}  // namespace vk

}  // namespace platform
