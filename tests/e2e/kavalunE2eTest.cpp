// The real program on a real X server, driven with real pointer input as a user would:
// Xvfb for the display, xdotool for the mouse (XTest), Xlib for screenshots and for the
// close request a window manager would send.
#include <gtest/gtest.h>

// After gtest: Xlib defines macros (None, Bool) that clash with its names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace std::chrono_literals;

pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
            posix_spawn_file_actions_t* actions = nullptr) {
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e)
        envStrings.emplace_back(*e);
    for (const auto& e : extraEnv)
        envStrings.push_back(e);
    std::vector<char*> env;
    for (auto& e : envStrings)
        env.push_back(e.data());
    env.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], actions, nullptr, args.data(), env.data()) != 0) return -1;
    return pid;
}

// Waits up to `limit` for the process to end; its exit status, or nothing.
std::optional<int> waitExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(20ms);
    }
    return std::nullopt;
}

bool poll(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(50ms);
    }
    return done();
}

class ProgramOnXvfb : public ::testing::Test {
protected:
    void SetUp() override {
        const char* exe = std::getenv("KAVALUN_EXE");
        ASSERT_NE(exe, nullptr) << "KAVALUN_EXE names the program";
        // Xvfb picks a free display and writes its number to the pipe.
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        FServer = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                         "1280x1024x24", "-nolisten", "tcp"},
                        {}, &actions);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        ASSERT_GT(FServer, 0) << "Xvfb must be installed (the test command installs it)";
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        FDisplayName = ":" + number;
        FDisplay = XOpenDisplay(FDisplayName.c_str());
        ASSERT_NE(FDisplay, nullptr);

        FProgram = spawn({exe}, {"DISPLAY=" + FDisplayName, "QT_QPA_PLATFORM=xcb"});
        ASSERT_GT(FProgram, 0);
        ASSERT_TRUE(poll([this] { return (FWindow = findWindow("Ohyb na Kavalun")) != 0; }, 30s))
            << "the main window did not appear";
        ASSERT_TRUE(poll([this] { return viewable(); }, 10s));
        std::this_thread::sleep_for(500ms);
    }

    void TearDown() override {
        if (FProgram > 0 && !waitExit(FProgram, 0ms)) {
            kill(FProgram, SIGKILL);
            waitExit(FProgram, 5s);
        }
        if (FDisplay) XCloseDisplay(FDisplay);
        if (FServer > 0) {
            kill(FServer, SIGTERM);
            waitExit(FServer, 5s);
        }
    }

    Window findWindow(const std::string& title) {
        std::function<Window(Window)> search = [&](Window w) -> Window {
            char* name = nullptr;
            if (XFetchName(FDisplay, w, &name) && name) {
                const bool match = title == name;
                XFree(name);
                if (match) return w;
            }
            Window root, parent, *children = nullptr;
            unsigned count = 0;
            Window found = 0;
            if (XQueryTree(FDisplay, w, &root, &parent, &children, &count)) {
                for (unsigned i = 0; i < count && !found; ++i)
                    found = search(children[i]);
                if (children) XFree(children);
            }
            return found;
        };
        return search(DefaultRootWindow(FDisplay));
    }

    bool viewable() {
        XWindowAttributes a;
        return XGetWindowAttributes(FDisplay, FWindow, &a) && a.map_state == IsViewable;
    }

    // Client coordinates of the main window to screen coordinates.
    std::pair<int, int> toScreen(int x, int y) {
        int sx = 0, sy = 0;
        Window child;
        XTranslateCoordinates(FDisplay, FWindow, DefaultRootWindow(FDisplay), x, y, &sx, &sy,
                              &child);
        return {sx, sy};
    }

    void clickAt(int x, int y) {
        const auto [sx, sy] = toScreen(x, y);
        const std::string command = "DISPLAY=" + FDisplayName + " xdotool mousemove " +
                                    std::to_string(sx) + " " + std::to_string(sy) + " click 1";
        ASSERT_EQ(std::system(command.c_str()), 0) << "xdotool must be installed";
    }

    // Black pixels of the histogram area, right of the screen shape.
    int blackInHistogram() {
        XWindowAttributes a;
        XGetWindowAttributes(FDisplay, FWindow, &a);
        XImage* image = XGetImage(FDisplay, FWindow, 501, 0, 300, a.height, AllPlanes, ZPixmap);
        if (!image) return -1;
        int count = 0;
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x)
                count += (XGetPixel(image, x, y) & 0xFFFFFF) == 0;
        XDestroyImage(image);
        return count;
    }

    // What a window manager sends when the user closes the window.
    void requestClose() {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = FWindow;
        e.xclient.message_type = XInternAtom(FDisplay, "WM_PROTOCOLS", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = long(XInternAtom(FDisplay, "WM_DELETE_WINDOW", False));
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(FDisplay, FWindow, False, NoEventMask, &e);
        XFlush(FDisplay);
    }

    std::string FDisplayName;
    Display* FDisplay = nullptr;
    pid_t FServer = -1;
    pid_t FProgram = -1;
    Window FWindow = 0;
};

// The centre of Button1 ("Start!", "Stop!"), in client coordinates.
constexpr int buttonX = 376 + 37, buttonY = 104 + 12;

TEST_F(ProgramOnXvfb, StartStopAndCloseWithTheMouse) {
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(FDisplay, FWindow, &a));
    // No window manager, so no frame: the client is the whole outer size.
    EXPECT_EQ(a.width, 1024);
    EXPECT_EQ(a.height, 738);
    EXPECT_EQ(blackInHistogram(), 0) << "nothing drawn before the first run";

    clickAt(buttonX, buttonY);
    EXPECT_TRUE(poll([this] { return blackInHistogram() > 20; }, 20s))
        << "particles build up bars beside the screen";

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
    EXPECT_FALSE(waitExit(FProgram, 0ms)) << "the program is still there";

    // A new run, then the window is closed in the middle of it.
    clickAt(buttonX, buttonY);
    EXPECT_TRUE(poll([this] { return blackInHistogram() > 0; }, 20s));
    requestClose();
    const std::optional<int> status = waitExit(FProgram, 20s);
    ASSERT_TRUE(status.has_value()) << "the program ends when its window closes";
    EXPECT_EQ(*status, 0);
    FProgram = -1;
}

} // namespace
