// The histogram saved as a teacher does it: a right click on the window, the menu entry
// chosen with the keyboard, a name typed into the file dialog.
#include "e2eSupport.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

class LessonExportOnXvfb : public ProgramOnXvfb {
protected:
    LessonExportOnXvfb() {
        // A home of its own, so the dialog starts in a documents folder the test knows.
        char pattern[] = "/tmp/kavalunE2eHomeXXXXXX";
        FHome = mkdtemp(pattern);
        std::filesystem::create_directories(FHome / "Documents");
        // A fixed locale: a decimal point, and so commas between the fields.
        FProgramEnv = {"HOME=" + FHome.string(), "XDG_CONFIG_HOME=" + (FHome / ".config").string(),
                       "LC_ALL=C.UTF-8"};
    }
    ~LessonExportOnXvfb() override { std::filesystem::remove_all(FHome); }

    // The program's visible windows: the main one, and a menu or a dialog while open.
    int visibleWindows() {
        const std::string command =
            "DISPLAY=" + FDisplayName + " xdotool search --onlyvisible --class kavalun";
        FILE* out = popen(command.c_str(), "r");
        if (!out) return -1;
        int lines = 0;
        for (int c; (c = fgetc(out)) != EOF;)
            lines += c == '\n';
        pclose(out);
        return lines;
    }

    std::filesystem::path FHome;
};

TEST_F(LessonExportOnXvfb, HistogramSavedThroughTheMenuAndTheFileDialog) {
    const int alone = visibleWindows();
    const auto [x, y] = toScreen(40, 300); // the background left of the slit
    ASSERT_TRUE(
        run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 3"));
    ASSERT_TRUE(poll([&] { return visibleWindows() > alone; }, 10s)) << "the menu opens";
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(run("xdotool key Down Return")); // the first entry: the CSV
    ASSERT_TRUE(
        poll([this] { return run("xdotool search --onlyvisible --name CSV >/dev/null"); }, 10s))
        << "the file dialog opens";
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(run("xdotool key ctrl+a type lekce"));
    ASSERT_TRUE(run("xdotool key Return"));

    const std::filesystem::path saved = FHome / "Documents" / "lekce.csv";
    ASSERT_TRUE(poll([&] { return std::filesystem::exists(saved); }, 10s))
        << "the file is saved in the documents folder with the CSV suffix";
    std::this_thread::sleep_for(300ms);
    std::ifstream in(saved, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> rows;
    std::string row;
    for (std::istringstream lines(text.str()); std::getline(lines, row, '\n');)
        rows.push_back(row);
    ASSERT_EQ(rows.size(), 107u);
    EXPECT_EQ(rows[0].substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(rows[7], "Přihrádka,Úhel od [°],Úhel do [°],Pod středem,Nad středem,Celkem\r");
    EXPECT_EQ(rows[8], "0,1,2,0,0,0\r");
    EXPECT_EQ(rows[106], "98,99,,0,0,0\r");
}

} // namespace
