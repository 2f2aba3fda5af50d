// The real program on a real X server for the end-to-end tests: Xvfb for the display,
// openbox for the frame and the close request, xdotool for the mouse and keyboard (XTest),
// wmctrl to close the window through the window manager, Xlib for screenshots.
#pragma once

#include <gtest/gtest.h>

// After gtest: Xlib defines macros (None, Bool) that clash with its names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
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

// Only test files include this; their waits read best as 20ms, 10s.
using namespace std::chrono_literals;

inline pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                   posix_spawn_file_actions_t* actions = nullptr) {
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    // An extra entry replaces the inherited one of its name: the first of two would win.
    const auto named = [](const std::string& entry, const std::string& other) {
        return entry.substr(0, entry.find('=') + 1) == other.substr(0, other.find('=') + 1);
    };
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e)
        if (std::none_of(extraEnv.begin(), extraEnv.end(),
                         [&](const std::string& x) { return named(x, *e); }))
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
inline std::optional<int> waitExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(20ms);
    }
    return std::nullopt;
}

inline bool poll(const std::function<bool()>& done, std::chrono::milliseconds limit) {
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
        // Xvfb picks a free display and writes its number to the pipe; it must not reset when a
        // short-lived client (xdotool) leaves before the program has connected.
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        FServer = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                         "1280x1024x24", "-nolisten", "tcp", "-noreset"},
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

        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        FManager = spawn({"openbox"}, {"DISPLAY=" + FDisplayName}, &actions);
        posix_spawn_file_actions_destroy(&actions);
        ASSERT_GT(FManager, 0) << "openbox must be installed (the test command installs it)";
        ASSERT_TRUE(poll([this] { return run("wmctrl -m >/dev/null 2>&1"); }, 20s))
            << "the window manager did not start";

        std::vector<std::string> programEnv = {"DISPLAY=" + FDisplayName, "QT_QPA_PLATFORM=xcb"};
        programEnv.insert(programEnv.end(), FProgramEnv.begin(), FProgramEnv.end());
        FProgram = spawn({exe}, programEnv);
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
        if (FManager > 0) {
            kill(FManager, SIGTERM);
            waitExit(FManager, 5s);
        }
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
                // Qt names a hidden helper window after the application too.
                XWindowAttributes a;
                if (match && XGetWindowAttributes(FDisplay, w, &a) && a.width > 100) return w;
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

    bool run(const std::string& command) {
        return std::system(("DISPLAY=" + FDisplayName + " " + command).c_str()) == 0;
    }

    void clickAt(int x, int y) {
        const auto [sx, sy] = toScreen(x, y);
        ASSERT_TRUE(
            run("xdotool mousemove " + std::to_string(sx) + " " + std::to_string(sy) + " click 1"))
            << "xdotool must be installed";
    }

    // The frame the window manager put around the window: left, right, top, bottom.
    std::vector<long> frameExtents() {
        Atom type;
        int format;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<long> extents;
        if (XGetWindowProperty(FDisplay, FWindow,
                               XInternAtom(FDisplay, "_NET_FRAME_EXTENTS", False), 0, 4, False,
                               XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
            data && count == 4 && format == 32)
            extents.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + 4);
        if (data) XFree(data);
        return extents;
    }

    // The pixels of a client rectangle, for comparing what a control shows.
    std::vector<unsigned long> pixels(int x, int y, int w, int h) {
        std::vector<unsigned long> out;
        if (XImage* image = XGetImage(FDisplay, FWindow, x, y, w, h, AllPlanes, ZPixmap)) {
            for (int j = 0; j < h; ++j)
                for (int i = 0; i < w; ++i)
                    out.push_back(XGetPixel(image, i, j) & 0xFFFFFF);
            XDestroyImage(image);
        }
        return out;
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

    // Set by a test's constructor: more environment for the program.
    std::vector<std::string> FProgramEnv;
    std::string FDisplayName;
    Display* FDisplay = nullptr;
    pid_t FServer = -1;
    pid_t FManager = -1;
    pid_t FProgram = -1;
    Window FWindow = 0;
};
