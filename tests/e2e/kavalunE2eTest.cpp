// The real program on a real X server, driven with real pointer input as a user would:
// Xvfb for the display, openbox for the frame and the close request, xdotool for the mouse
// (XTest), wmctrl to close the window through the window manager, Xlib for screenshots.
#include "e2eSupport.h"

namespace {

// The centre of Button1 ("Start!", "Stop!"), in client coordinates.
constexpr int buttonX = 376 + 37, buttonY = 104 + 12;

TEST_F(ProgramOnXvfb, StartStopAndCloseWithTheMouse) {
    // The outer size, frame included, is the stored one once the frame is known.
    EXPECT_TRUE(poll(
        [this] {
            const std::vector<long> frame = frameExtents();
            XWindowAttributes a;
            return frame.size() == 4 && XGetWindowAttributes(FDisplay, FWindow, &a) &&
                   a.width + frame[0] + frame[1] == 1024 && a.height + frame[2] + frame[3] == 738;
        },
        10s))
        << "outer size 1024 x 738";
    EXPECT_TRUE(poll(
        [this] {
            const std::vector<long> frame = frameExtents();
            const auto [x, y] = toScreen(0, 0);
            XWindowAttributes root;
            XGetWindowAttributes(FDisplay, DefaultRootWindow(FDisplay), &root);
            return frame.size() == 4 && std::abs(x - frame[0] - (root.width - 1024) / 2) <= 1 &&
                   std::abs(y - frame[2] - (root.height - 738) / 2) <= 1;
        },
        10s))
        << "the frame, not only the client area, is centred on the screen";
    EXPECT_EQ(blackInHistogram(), 0) << "nothing drawn before the first run";
    const auto caption = [this] { return pixels(buttonX - 18, buttonY - 5, 36, 11); };
    const std::vector<unsigned long> start = caption();

    clickAt(buttonX, buttonY);
    EXPECT_TRUE(poll([this] { return blackInHistogram() > 20; }, 20s))
        << "particles build up bars beside the screen";
    EXPECT_NE(caption(), start) << "the button reads Stop! during a run";

    clickAt(buttonX, buttonY); // "Stop!"
    // Once the click is served the bars stop changing; a loaded machine may take a while.
    int last = -2;
    EXPECT_TRUE(poll(
        [&] {
            const int now = blackInHistogram();
            std::this_thread::sleep_for(1s);
            const bool still = now == last && now == blackInHistogram();
            last = now;
            return still;
        },
        60s))
        << "no particle after Stop!";
    ASSERT_TRUE(run("xdotool mousemove 0 0")); // no hover on the button
    EXPECT_TRUE(poll([&] { return caption() == start; }, 10s)) << "the button reads Start! again";

    // A new run, then the window is closed the way a user does, through the window manager.
    clickAt(buttonX, buttonY);
    EXPECT_TRUE(poll([&] { return caption() != start; }, 10s));
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(run("wmctrl -c 'Ohyb na Kavalun'"));
    const std::optional<int> status = waitExit(FProgram, 2s);
    ASSERT_TRUE(status.has_value()) << "the program ends within 2 s when its window closes";
    EXPECT_EQ(*status, 0);
    FProgram = -1;
}

} // namespace
