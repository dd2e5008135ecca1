// SPDX-License-Identifier: GPL-3.0-or-later
// The input script: lines from a FIFO or a growing file become queued events,
// one step per presented frame, with waits in play time and screenshots.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"
#include "test_support.h"

using namespace platform;

namespace {

class InputScriptTest : public tftest::GraphicsTest {
protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        SetPolledInput(false);
        Drain();
        SetMilliSecsSource([this] { return clock; });
    }
    void TearDown() override {
        CloseInputScript();
        if (writer >= 0) ::close(writer);
        SetMilliSecsSource({});
        SetPolledInput(true);
    }

    // A FIFO that the script reads, with the write end kept open by the test.
    void OpenFifo() {
        const std::string path = dir / "script";
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        ASSERT_TRUE(OpenInputScript(path));
        writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        ASSERT_GE(writer, 0);
    }
    void Write(const std::string& text) const {
        ASSERT_EQ(::write(writer, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    static std::vector<Event> Drain() {
        PumpMessages();
        std::vector<Event> out;
        Event e;
        while (TakeEvent(e))
            if (e.kind != EventKind::AppSuspend && e.kind != EventKind::AppResume) out.push_back(e);
        return out;
    }
    // One pass of a game loop: the events its logic would see, then a frame
    // presented msPerFrame later.
    std::vector<Event> Frame(int msPerFrame = 10) {
        auto events = Drain();
        clock += msPerFrame;
        Flip(0);
        return events;
    }

    tftest::TempDir dir;
    int writer = -1;
    int clock = 1000;
};

bool Is(const Event& e, EventKind kind, int data, int x = -1, int y = -1) {
    return e.kind == kind && e.data == data && (x < 0 || e.x == x) && (y < 0 || e.y == y);
}

TEST_F(InputScriptTest, CommandsBecomeEventsOneStepPerFrame) {
    OpenFifo();
    // A line split over two writes waits for its end.
    Write("# a comment\n\nmove 10 20\ncli");
    auto first = Frame();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_TRUE(Is(first[0], EventKind::MouseMove, 0, 10, 20));
    EXPECT_EQ(PolledMouseX(), 10);
    EXPECT_EQ(PolledMouseY(), 20);
    Write("ck 30 40\r\nKEY a\nkey return\ntype Ada é\nwheel -2\nkeydown lshift\nkey b\nkeyup lshift\nclose\n");

    std::vector<std::vector<Event>> frames;
    for (int k = 0; k < 13; ++k) frames.push_back(Frame());
    // The click: move, press and release each in a frame of its own.
    ASSERT_EQ(frames[0].size(), 1u);
    EXPECT_TRUE(Is(frames[0][0], EventKind::MouseMove, 0, 30, 40));
    ASSERT_EQ(frames[1].size(), 1u);
    EXPECT_TRUE(Is(frames[1][0], EventKind::MouseDown, 1, 30, 40));
    ASSERT_EQ(frames[2].size(), 1u);
    EXPECT_TRUE(Is(frames[2][0], EventKind::MouseUp, 1, 30, 40));
    // A key types its character with the press; Enter types 13 like the keyboard.
    ASSERT_EQ(frames[3].size(), 2u);
    EXPECT_TRUE(Is(frames[3][0], EventKind::KeyDown, 'A'));
    EXPECT_TRUE(Is(frames[3][1], EventKind::KeyChar, 'a'));
    ASSERT_EQ(frames[4].size(), 1u);
    EXPECT_TRUE(Is(frames[4][0], EventKind::KeyUp, 'A'));
    ASSERT_EQ(frames[5].size(), 2u);
    EXPECT_TRUE(Is(frames[5][0], EventKind::KeyDown, vk::RETURN));
    EXPECT_TRUE(Is(frames[5][1], EventKind::KeyChar, 13));
    EXPECT_TRUE(Is(frames[6][0], EventKind::KeyUp, vk::RETURN));
    // Text is characters only, decoded from UTF-8, all at once.
    ASSERT_EQ(frames[7].size(), 5u);
    const int typed[] = {'A', 'd', 'a', ' ', 0xE9};
    for (int k = 0; k < 5; ++k) EXPECT_TRUE(Is(frames[7][k], EventKind::KeyChar, typed[k])) << k;
    EXPECT_TRUE(Is(frames[8][0], EventKind::MouseWheel, -2, 30, 40));
    // A held Shift reports the generic code too and makes letters capitals.
    ASSERT_EQ(frames[9].size(), 2u);
    EXPECT_TRUE(Is(frames[9][1], EventKind::KeyDown, vk::SHIFT));
    EXPECT_TRUE(Is(frames[10][1], EventKind::KeyChar, 'B'));
    EXPECT_TRUE(Is(frames[11][0], EventKind::KeyUp, 'B'));
    ASSERT_EQ(frames[12].size(), 2u);
    EXPECT_TRUE(Is(frames[12][1], EventKind::KeyUp, vk::SHIFT));
    auto last = Frame();
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].kind, EventKind::AppTerminate);
    EXPECT_TRUE(Frame().empty());
}

TEST_F(InputScriptTest, PolledInputSeesScriptedKeysAndButtons) {
    OpenFifo();
    SetPolledInput(true);
    PolledFlushKeys();
    PolledFlushMouse();
    Write("key 0x20\nclick 5 6\n");
    for (int k = 0; k < 5; ++k) Frame();
    EXPECT_EQ(PolledKeyHit(vk::SPACE), 1);
    EXPECT_EQ(PolledGetChar(), ' ');
    EXPECT_EQ(PolledMouseHit(1), 1);
    EXPECT_EQ(PolledMouseDown(1), 0);
    EXPECT_EQ(PolledMouseX(), 5);
}

TEST_F(InputScriptTest, GarbageIsSkippedWithOneLineEach) {
    OpenFifo();
    testing::internal::CaptureStderr();
    Write(
        "jump 1 2\nmove -1 5\nmove 1\nmove 1 2 3\nmove 99999 1\nmove 1x 2\ndown 7\nwait abc\nwait 700000\n"
        "key NOPE\nkey 0x100\nkey 256\nwheel 0\ntype\nshot\nclose now\n" +
        std::string("\x01\xff\xfe binary\n") + std::string(5000, 'x') + "\nmove 7 8\n");
    std::vector<Event> seen;
    for (int k = 0; k < 4; ++k)
        for (const Event& e : Frame()) seen.push_back(e);
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_EQ(seen.size(), 1u) << errors;
    EXPECT_TRUE(Is(seen[0], EventKind::MouseMove, 0, 7, 8));
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 18) << errors;
    EXPECT_NE(errors.find("line 1: unknown command \"jump\""), std::string::npos) << errors;
    EXPECT_NE(errors.find("line 18: longer than"), std::string::npos) << errors;
}

TEST_F(InputScriptTest, WaitCountsPlayTimeOfPresentedFrames) {
    OpenFifo();
    Frame();
    Write("wait 100\nkey A\n");
    int frames = 0;
    std::vector<Event> events;
    while (events.empty() && frames < 20) {
        events = Frame(30);
        ++frames;
    }
    // 30 ms frames: the fourth presented frame reaches 120 ms, the fifth pass sees the key.
    EXPECT_EQ(frames, 5);
    // A stall counts as the 50 ms that the game's logic makes of it.
    Write("wait 120\nkey B\n");
    while (!Frame(10).empty()) {
    }
    Frame(5000);
    Frame(5000);
    EXPECT_TRUE(Frame(10).empty());
    bool seen = false;
    for (int k = 0; k < 3 && !seen; ++k)
        for (const Event& e : Frame(10)) seen |= Is(e, EventKind::KeyDown, 'B');
    EXPECT_TRUE(seen);
}

TEST_F(InputScriptTest, ShotWritesTheNextFrameBeforeLaterCommandsRun) {
    OpenFifo();
    const std::string shot = dir / "frame.png";
    Write("shot " + shot + "\nkey A\n");
    PumpMessages();
    EXPECT_TRUE(Drain().empty());
    SetClsColor(10, 200, 30);
    Cls();
    Flip(0);
    SetClsColor(0, 0, 0);
    ASSERT_TRUE(std::filesystem::exists(shot));
    EXPECT_FALSE(std::filesystem::exists(shot + ".tmp"));
    auto picture = LoadPixmap(shot);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), 800);
    EXPECT_EQ(picture->Height(), 600);
    EXPECT_EQ(picture->ReadPixel(400, 300) & 0xFFFFFFu, 0x0AC81Eu);
    auto after = Frame();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_TRUE(Is(after[0], EventKind::KeyDown, 'A'));
}

TEST_F(InputScriptTest, EndOfInputIsOnlyAPause) {
    // A FIFO whose writer went away, and later a new writer.
    OpenFifo();
    Write("move 1 1\n");
    EXPECT_EQ(Frame().size(), 1u);
    ::close(writer);
    writer = -1;
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(Frame().empty());
    writer = ::open((dir / "script").c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    Write("move 2 2\n");
    auto again = Frame();
    ASSERT_EQ(again.size(), 1u);
    EXPECT_TRUE(Is(again[0], EventKind::MouseMove, 0, 2, 2));

    // A plain file that keeps growing.
    const std::string path = dir / "plain";
    tftest::WriteFile(path, "move 3 3\nmove 4");
    ASSERT_TRUE(OpenInputScript(path));
    ASSERT_EQ(Frame().size(), 1u);
    EXPECT_TRUE(Frame().empty());
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, " 4\n", 3), 3);
        ::close(fd);
    }
    auto grown = Frame();
    ASSERT_EQ(grown.size(), 1u);
    EXPECT_TRUE(Is(grown[0], EventKind::MouseMove, 0, 4, 4));

    CloseInputScript();
    EXPECT_FALSE(InputScriptOpen());
    EXPECT_FALSE(OpenInputScript(dir / "missing"));
}

}  // namespace
