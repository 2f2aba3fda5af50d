#include "uQuarnSpinEdit.h"

#include "application.h"
#include "bitmapResource.h"
#include "messageTimer.h"
#include "support/distinctSystemColors.h"
#include "visualStyles.h"

#include <QLineEdit>
#include <QStyleFactory>
#include <QtTest>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

const TSpinFace allFaces[] = {TSpinFace::Normal, TSpinFace::TopPressed, TSpinFace::BottomPressed,
                              TSpinFace::TopHot, TSpinFace::BottomHot};

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

// A shown window holding one spin button, the manual clock for its timer, a recorder in
// place of the error box, and system colours distinct enough that every pixel tells which
// one it got.
class SpinTest : public ::testing::Test {
protected:
    void SetUp() override {
        TApplication::setErrorBox([this](const QString&, const QString& text) { errors << text; });
    }
    void TearDown() override {
        // Leaves Qt's notion of the held buttons clean for the next test.
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
            if (spin && (QGuiApplication::mouseButtons() & b))
                QTest::mouseRelease(spin, b, {}, QPoint(-50, -50));
        host.reset();
        clock.reset();
        setBitmapResourceHook({});
        setVisualStylesOverride(std::nullopt);
        TApplication::setErrorBox({});
    }

    void make(int w, int h, TSpinButtonStyle style, std::optional<bool> themed = false) {
        setVisualStylesOverride(themed);
        host.reset();
        clock.reset(); // one manual clock at a time
        clock = std::make_unique<ManualTimerClock>();
        host = std::make_unique<QWidget>();
        host->resize(std::max(w + 60, 120), std::max(h + 60, 120));
        spin = new TQuarnSpinButton(host.get());
        spin->SetButtonStyle(style);
        spin->setGeometry(20, 20, w, h);
        spin->SetOnTopClick([this](QObject* sender) { record(sender, top); });
        spin->SetOnBottomClick([this](QObject* sender) { record(sender, bottom); });
        spin->installEventFilter(&paints);
        host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
        // The pointer starts off the control, wherever the last test left it.
        QTest::mouseMove(host.get(), QPoint(host->width() - 2, host->height() - 2));
        rebuild();
        paints.paints = 0;
    }
    void record(QObject* sender, int& count) {
        EXPECT_EQ(sender, spin);
        ++count;
        times.push_back(clock->now());
        if (releaseInHandler) QTest::mouseRelease(spin, Qt::LeftButton, {}, lastPress);
        if (top + bottom == throwAt) throw std::runtime_error("handler failed");
    }

    void press(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
        lastPress = p;
        QTest::mousePress(spin, b, {}, p);
    }
    void release(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mouseRelease(spin, b, {}, p);
    }
    void rebuild() { spin->grab(); }
    // The repeat timer's running interval; 0 when stopped, -1 before it exists.
    int armed() const {
        const auto* t = spin->findChild<MessageTimer*>();
        return !t ? -1 : t->running() ? t->interval() : 0;
    }
    const QImage& face(TSpinFace f) const { return spin->Face(f); }

    // Events raised so far (top/bottom) and the face the control paints now.
    std::string state() {
        static const char* const names[] = {"normal", "top pressed", "bottom pressed", "top hot",
                                            "bottom hot"};
        const QImage painted = spin->grab().toImage().convertToFormat(QImage::Format_RGB32);
        paints.paints = 0;
        const auto* shown =
            std::find_if(std::begin(allFaces), std::end(allFaces), [&](TSpinFace f) {
                return painted == face(f).convertToFormat(QImage::Format_RGB32);
            });
        return std::to_string(top) + "/" + std::to_string(bottom) + " " +
               (shown == std::end(allFaces) ? "none of the faces" : names[int(*shown)]);
    }

    DistinctSystemColors colors;
    std::unique_ptr<ManualTimerClock> clock;
    std::unique_ptr<QWidget> host;
    TQuarnSpinButton* spin = nullptr;
    int top = 0, bottom = 0;
    std::vector<qint64> times; // clock time of each event
    bool releaseInHandler = false;
    int throwAt = 0; // the event whose handler fails
    QPoint lastPress;
    PaintCounter paints;
    QStringList errors;
};

// ---------------------------------------------------------------- the half test

struct HalfCase {
    const char* name;
    TSpinButtonStyle style;
    int w, h;
    QPoint at;
    bool bottom;
};

class HalfTest : public SpinTest, public ::testing::WithParamInterface<HalfCase> {};

TEST_P(HalfTest, APressRaisesTheEventOfTheHalfHit) {
    const HalfCase& c = GetParam();
    make(c.w, c.h, c.style);
    QTest::mouseClick(spin, Qt::LeftButton, {}, c.at);
    EXPECT_EQ(state(), c.bottom ? "0/1 normal" : "1/0 normal");
}

INSTANTIATE_TEST_SUITE_P(
    Halves, HalfTest,
    ::testing::Values(HalfCase{"diagonal_on_the_line_is_top", sbsDefault, 20, 20, {10, 10}, false},
                      HalfCase{"diagonal_below_the_line", sbsDefault, 20, 20, {10, 11}, true},
                      HalfCase{"diagonal_right_of_the_line", sbsDefault, 20, 20, {11, 10}, true},
                      HalfCase{"diagonal_bottom_left_is_top", sbsDefault, 20, 20, {0, 19}, false},
                      HalfCase{"wide_on_its_own_diagonal", sbsDefault, 40, 20, {20, 10}, false},
                      HalfCase{"wide_past_its_own_diagonal", sbsDefault, 40, 20, {21, 10}, true},
                      HalfCase{"uneven_ratio_on_the_line", sbsDefault, 30, 20, {15, 10}, false},
                      HalfCase{"uneven_ratio_past_the_line", sbsDefault, 30, 20, {16, 10}, true},
                      HalfCase{"stacked_row_10_is_top", sbsClassic, 20, 20, {10, 10}, false},
                      HalfCase{"stacked_row_11_is_bottom", sbsClassic, 20, 20, {3, 11}, true},
                      HalfCase{"stacked_tall_row_20_is_top", sbsClassic, 16, 41, {2, 20}, false},
                      HalfCase{"stacked_tall_row_21_is_bottom", sbsClassic, 16, 41, {2, 21}, true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- the press states

// A size and look, with a point in each half.
struct Shape {
    const char* name;
    int w, h;
    TSpinButtonStyle style;
    QPoint top, bottom;
};

const Shape shapes[] = {{"diagonal_20x20", 20, 20, sbsDefault, {5, 5}, {15, 15}},
                        {"stacked_20x20", 20, 20, sbsClassic, {10, 3}, {10, 15}},
                        {"diagonal_45x17", 45, 17, sbsDefault, {5, 4}, {40, 15}},
                        {"stacked_45x17", 45, 17, sbsClassic, {40, 4}, {5, 14}}};

// A scenario is a list of steps separated by ";", each a verb and its argument. T, B and O
// name a point in the top half, in the bottom half and outside the control. "= 1/0 top
// pressed" checks the events so far and the face painted now; "painted" and "unpainted"
// whether the control painted since the last check; "timer N" the repeat timer's running
// interval (0 stopped, -1 not made yet); "times" the clock time of every event so far.
struct Scenario {
    const char* name;
    const char* steps;
};

const Scenario scenarios[] = {
    {"click_raises_one_event_of_its_half",
     "press T; wait 399; release T; wait 1000; = 1/0 normal; click B; = 1/1 normal;"
     "dclick B; = 1/2 normal"},
    {"holding_the_top_half_a_second_raises_eight_events",
     "press T; painted; timer 400; = 1/0 top pressed; wait 1000;"
     "times 0 400 500 600 700 800 900 1000; = 8/0 top pressed; release T; painted; wait 1000;"
     "= 8/0 normal"},
    {"holding_the_bottom_half_a_second_raises_eight_events",
     "press B; painted; timer 400; wait 1000; times 0 400 500 600 700 800 900 1000;"
     "= 0/8 bottom pressed; release B; painted; wait 1000; = 0/8 normal"},
    {"sliding_into_the_other_half_pauses_until_back",
     "press T; wait 450; = 2/0 top pressed; move B; painted; wait 500; = 2/0 normal; move T;"
     "painted; wait 100; = 3/0 top pressed"},
    {"sliding_outside_pauses_until_back",
     "press T; wait 450; move O; painted; wait 500; = 2/0 normal; move T; painted; wait 100;"
     "= 3/0 top pressed"},
    {"release_inside_after_sliding_off_ends_the_press",
     "press T; move B; painted; release B; painted; wait 1000; = 1/0 normal; press T;"
     "= 2/0 top pressed"},
    {"release_outside_after_sliding_off_raises_nothing_more",
     "press T; wait 200; move O; = 1/0 normal; wait 1000; release O; move T; wait 1000;"
     "= 1/0 normal"},
    {"handler_that_sees_the_button_up_ends_the_press",
     "release-in-handler; press T; unpainted; timer 400; move T; wait 1000; = 1/0 normal;"
     "press T; = 2/0 normal"},
    {"handler_error_in_the_press_leaves_the_half_pressed",
     "throw-at 1; press B; errors 1; timer -1; release B; = 0/1 bottom pressed; press T;"
     "= 0/1 bottom pressed; release T; = 0/1 normal; click T; = 1/1 normal"},
    // The tick at 600 shows that the second press left the timer alone.
    {"release_outside_unseen_leaves_the_half_pressed",
     "press T; wait 100; unseen-release O; wait 400; = 1/0 top pressed; press B; wait 100;"
     "= 2/0 top pressed; release B; wait 1000; = 2/0 normal"},
    {"paint_while_disabled_leaves_the_half_pressed",
     "press B; enabled off; paint; enabled on; release B; wait 1000; = 0/1 bottom pressed;"
     "click T; = 0/1 normal"},
    {"disabled_control_raises_nothing_and_looks_the_same",
     "enabled off; click T; = 0/0 normal; timer -1; looks-as-made"},
    {"right_and_middle_presses_raise_nothing", "rclick T; mclick T; = 0/0 normal; timer -1"},
    {"right_press_after_an_unseen_release_raises_nothing",
     "press T; wait 100; unseen-release O; wait 400; rpress T; wait 1000; = 1/0 top pressed;"
     "rrelease T; wait 1000; = 1/0 top pressed"},
    {"right_release_inside_ends_a_left_press",
     "press T; rpress T; = 1/0 top pressed; rrelease T; wait 1000; = 1/0 normal"},
    {"press_with_no_handler_shows_pressed_and_starts_the_timer",
     "no-handlers; press T; timer 400; wait 1000; = 0/0 top pressed"},
    {"tick_error_disables_the_timer_until_the_next_press",
     "throw-at 2; press B; wait 1000; errors 1; = 0/2 bottom pressed; timer 0; release B;"
     "press B; timer 400; wait 500; = 0/5 bottom pressed"},
    {"themed_hover_follows_the_pointer",
     "themed on; leave; move O; = 0/0 normal; move T; = 0/0 top hot; move B; = 0/0 bottom hot;"
     "press B; = 0/1 bottom pressed; release B; = 0/1 bottom hot; move T; = 0/1 top hot;"
     "move O; = 0/1 normal"},
    {"visual_styles_off_drop_the_hot_face",
     "themed on; leave; move T; = 0/0 top hot; themed off; move B; = 0/0 normal"},
    {"focus_goes_to_a_focus_control_that_is_a_tab_stop",
     "focus-control tab-stop; click B; = 0/1 normal; focus-changes 1; edit-focused yes"},
    {"focus_skips_a_focus_control_that_is_no_tab_stop",
     "focus-control click-only; click B; = 0/1 normal; focus-changes 0; edit-focused no"},
    {"focus_skips_a_disabled_focus_control",
     "focus-control disabled; click B; = 0/1 normal; focus-changes 0; edit-focused no"},
    {"focus_skips_a_hidden_focus_control",
     "focus-control hidden; click B; = 0/1 normal; focus-changes 0; edit-focused no"},
    {"focus_stays_on_a_focus_control_that_has_it",
     "focus-control focused; click B; = 0/1 normal; focus-changes 0; edit-focused yes"},
    {"a_destroyed_focus_control_is_forgotten", "focus-control destroyed; click T; = 1/0 normal"},
};

class PressTest : public SpinTest,
                  public ::testing::WithParamInterface<std::tuple<Shape, Scenario>> {
protected:
    QPoint at(const std::string& p) const {
        const Shape& s = std::get<0>(GetParam());
        return p == "T" ? s.top : p == "B" ? s.bottom : QPoint(s.w + 15, 5);
    }
    void click(Qt::MouseButton b, const std::string& p) { QTest::mouseClick(spin, b, {}, at(p)); }
    // Sent straight to the control, with no move outside reported before it; then through
    // Qt, for Qt's own button state.
    void unseenRelease(QPoint p) {
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(p), spin->mapToGlobal(QPointF(p)),
                       Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(spin, &up);
        release(p);
    }
    // A leave also clears an enter that an earlier test may have left pending.
    void leave() {
        QApplication::processEvents();
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(spin, &leave);
    }
    // An edit field as FocusControl, set up as `kind` says, with the focus elsewhere unless
    // it is "focused".
    void focusControl(const std::string& kind) {
        auto* other = new QLineEdit(host.get());
        edit = new QLineEdit(host.get());
        edit->setGeometry(50, 50, 40, 20);
        other->show();
        edit->show();
        host->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
        (kind == "focused" ? edit : other)->setFocus();
        edit->setFocusPolicy(kind == "click-only" ? Qt::ClickFocus : Qt::StrongFocus);
        edit->setEnabled(kind != "disabled");
        edit->setVisible(kind != "hidden");
        spin->SetFocusControl(edit);
        if (kind == "destroyed") delete std::exchange(edit, nullptr);
        EXPECT_EQ(spin->FocusControl(), edit);
        focusChanges = std::make_unique<QSignalSpy>(qApp, &QApplication::focusChanged);
    }
    std::vector<qint64> numbers(const std::string& list) {
        std::istringstream in(list);
        return {std::istream_iterator<qint64>(in), {}};
    }

    QLineEdit* edit = nullptr;
    std::unique_ptr<QSignalSpy> focusChanges;
};

TEST_P(PressTest, FollowsTheScenario) {
    const auto& [shape, scenario] = GetParam();
    make(shape.w, shape.h, shape.style);
    const QImage made = face(TSpinFace::Normal);
    using Arg = const std::string&;
    const std::map<std::string, std::function<void(Arg)>> verbs{
        {"press", [&](Arg p) { press(at(p)); }},
        {"release", [&](Arg p) { release(at(p)); }},
        {"move", [&](Arg p) { QTest::mouseMove(spin, at(p)); }},
        {"click", [&](Arg p) { click(Qt::LeftButton, p); }},
        {"dclick",
         [&](Arg p) { QTest::mouseDClick(spin, Qt::LeftButton, {}, at(p)), release(at(p)); }},
        {"rclick", [&](Arg p) { click(Qt::RightButton, p); }},
        {"mclick", [&](Arg p) { click(Qt::MiddleButton, p); }},
        {"rpress", [&](Arg p) { press(at(p), Qt::RightButton); }},
        {"rrelease", [&](Arg p) { release(at(p), Qt::RightButton); }},
        {"unseen-release", [&](Arg p) { unseenRelease(at(p)); }},
        {"wait", [&](Arg ms) { clock->advance(std::stoi(ms)); }},
        {"=", [&](Arg expected) { EXPECT_EQ(state(), expected); }},
        {"painted", [&](Arg) { EXPECT_GT(std::exchange(paints.paints, 0), 0); }},
        {"unpainted", [&](Arg) { EXPECT_EQ(std::exchange(paints.paints, 0), 0); }},
        {"timer", [&](Arg n) { EXPECT_EQ(armed(), std::stoi(n)); }},
        {"times", [&](Arg list) { EXPECT_EQ(times, numbers(list)); }},
        {"errors", [&](Arg n) { EXPECT_EQ(errors, QStringList(std::stoi(n), "handler failed.")); }},
        {"enabled", [&](Arg on) { spin->setEnabled(on == "on"); }},
        {"paint", [&](Arg) { state(); }},
        {"looks-as-made", [&](Arg) { EXPECT_EQ(face(TSpinFace::Normal), made); }},
        {"themed", [&](Arg on) { setVisualStylesOverride(on == "on"); }},
        {"leave", [&](Arg) { leave(); }},
        {"release-in-handler", [&](Arg) { releaseInHandler = true; }},
        {"throw-at", [&](Arg n) { throwAt = std::stoi(n); }},
        {"no-handlers", [&](Arg) { spin->SetOnTopClick({}), spin->SetOnBottomClick({}); }},
        {"focus-control", [&](Arg kind) { focusControl(kind); }},
        {"focus-changes", [&](Arg n) { EXPECT_EQ(focusChanges->size(), std::stoi(n)); }},
        {"edit-focused", [&](Arg yes) { EXPECT_EQ(edit->hasFocus(), yes == "yes"); }},
    };
    std::istringstream steps(scenario.steps);
    for (std::string step; std::getline(steps >> std::ws, step, ';');) {
        SCOPED_TRACE(step);
        std::istringstream words(step);
        std::string verb, arg;
        std::getline(words >> verb >> std::ws, arg);
        verbs.at(verb)(arg);
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, PressTest,
                         ::testing::Combine(::testing::ValuesIn(shapes),
                                            ::testing::ValuesIn(scenarios)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

TEST_F(SpinTest, ClickRaisesTheHalfsEventUnpressedAndNothingWhileDisabled) {
    make(20, 20, sbsDefault);
    for (const TSpinHalf half : {shTop, shBottom, shBottom, shNone})
        spin->Click(half);
    EXPECT_EQ(state(), "1/2 normal");
    spin->setEnabled(false);
    spin->Click(shTop);
    spin->Click(shBottom);
    EXPECT_EQ(top + bottom, 3);
}

TEST_F(SpinTest, AnySizeSurvivesPressesAndPaints) {
    for (QSize size : {QSize(0, 0), QSize(1, 1), QSize(0, 20), QSize(20, 0), QSize(3, 200),
                       QSize(4000, 3000), QSize(16000, 2)})
        for (TSpinButtonStyle style : {sbsDefault, sbsClassic})
            for (bool themed : {false, true}) {
                make(20, 20, style, themed);
                spin->resize(size);
                rebuild();
                press({0, 0});
                QTest::mouseMove(spin, {size.width(), size.height()});
                release({size.width() / 2, size.height() / 2});
                clock->advance(500);
                rebuild();
                // Faces too large to keep are not drawn at all.
                const bool kept = qint64(size.width()) * size.height() <= (1 << 22);
                if (size.isEmpty()) continue; // nothing to paint
                EXPECT_EQ(face(TSpinFace::Normal).size(), kept ? size : QSize(0, 0));
            }
}

// ================================================================ faces

using Picture = std::vector<std::string>; // top row first, X black

const Picture upArrow{"..XX..", ".XXXX.", "XXXXXX", "..XX..", "..XX..", "..XX.."};
const Picture downArrow{"..XX..", "..XX..", "..XX..", "XXXXXX", ".XXXX.", "..XX.."};
const Picture upPole{"...X...", "..XXX..", ".XXXXX.", "XXXXXXX"};
const Picture downPole{"XXXXXXX", ".XXXXX.", "..XXX..", "...X..."};

// The picture's black pixels are black in the face and its white ones are not.
::testing::AssertionResult glyphAt(const QImage& face, const Picture& picture, QPoint at) {
    for (int y = 0; y < int(picture.size()); ++y)
        for (int x = 0; x < int(picture[y].size()); ++x)
            if ((face.pixel(at + QPoint(x, y)) == qRgb(0, 0, 0)) != (picture[y][x] == 'X'))
                return ::testing::AssertionFailure() << "glyph pixel " << x << "," << y;
    return ::testing::AssertionSuccess();
}

// The pixels of a colour within a band of rows: their bounding box and how many.
std::pair<QRect, int> pixelsOf(const QImage& face, QRgb colour, int rowFrom = 0,
                               int rowTo = INT_MAX) {
    std::pair<QRect, int> found;
    for (int y = rowFrom; y < std::min(face.height(), rowTo); ++y)
        for (int x = 0; x < face.width(); ++x)
            if (face.pixel(x, y) == colour)
                found = {found.first | QRect(x, y, 1, 1), found.second + 1};
    return found;
}

QImage monoGlyph(int w, int h) {
    QImage g(w, h, QImage::Format_Mono);
    g.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    g.fill(0u);
    return g;
}

// The pixels with x + y = sum, for x from `from` to `to`.
std::vector<QPoint> antidiagonal(int sum, int from, int to) {
    std::vector<QPoint> points;
    for (int x = from; x <= to; ++x)
        points.emplace_back(x, sum - x);
    return points;
}

struct DiagonalFaceCase {
    const char* name;
    TSpinFace face;
    QPoint up;
    const char* lines; // upper, middle, lower
    const char* edges; // at edgePoints
};

// Outer and inner left/top side, inner and outer right/bottom side, the corners that the
// right/bottom side owns because it is drawn last (inner, outer), and the fill.
const std::vector<QPoint> edgePoints{{0, 5},  {5, 0},  {1, 5},  {5, 1},  {18, 5}, {5, 18}, {19, 5},
                                     {5, 19}, {0, 18}, {18, 0}, {0, 19}, {19, 0}, {5, 10}};

class ClassicDiagonalFace : public SpinTest,
                            public ::testing::WithParamInterface<DiagonalFaceCase> {};

TEST_P(ClassicDiagonalFace, ArrowsLinesAndEdgesOfTheFace) {
    const DiagonalFaceCase& c = GetParam();
    make(20, 20, sbsDefault);
    const QImage& f = face(c.face);
    ASSERT_EQ(f.size(), QSize(20, 20));
    EXPECT_TRUE(glyphAt(f, upArrow, c.up));
    EXPECT_TRUE(glyphAt(f, downArrow, {11, 11}));
    EXPECT_EQ(colorLetters(f, antidiagonal(18, 1, 17)), std::string(17, c.lines[0]));
    EXPECT_EQ(colorLetters(f, antidiagonal(19, 2, 18)), std::string(17, c.lines[1]));
    EXPECT_EQ(colorLetters(f, antidiagonal(20, 2, 18)), std::string(17, c.lines[2]));
    EXPECT_EQ(colorLetters(f, edgePoints), c.edges);
}

INSTANTIATE_TEST_SUITE_P(
    Faces, ClassicDiagonalFace,
    ::testing::Values(
        DiagonalFaceCase{"normal", TSpinFace::Normal, {3, 3}, "SKH", "HHLLSSDDSSDDF"},
        DiagonalFaceCase{"top_pressed", TSpinFace::TopPressed, {4, 4}, "FHH", "DDSSSSDDSSDDF"},
        DiagonalFaceCase{
            "bottom_pressed", TSpinFace::BottomPressed, {3, 3}, "SSK", "HHLLLLHHLLHHF"}),
    [](const auto& info) { return std::string(info.param.name); });

struct StackedFaceCase {
    const char* name;
    TSpinFace face;
    const char* edges;     // outer left side of the top box, of the bottom box, and row 10
    QRect topBox, downBox; // where a glyph larger than its box shows
};

class ClassicStackedFace : public SpinTest,
                           public ::testing::WithParamInterface<StackedFaceCase> {};

TEST_P(ClassicStackedFace, TrianglesEdgesAndGlyphBoxes) {
    const StackedFaceCase& c = GetParam();
    make(20, 20, sbsClassic);
    const QImage& f = face(c.face);
    EXPECT_TRUE(glyphAt(f, upPole, {6, 3}));
    EXPECT_TRUE(glyphAt(f, downPole, {6, 13}));
    EXPECT_EQ(colorLetters(f, {{0, 5}, {0, 15}, {5, 10}}), c.edges);

    spin->SetUpGlyph(monoGlyph(24, 20));  // taller than the bottom box: anchored at the top
    spin->SetDownGlyph(monoGlyph(24, 5)); // fits the height, overflows the width
    rebuild();
    const auto solid = [](QRect r) { return std::pair(r, r.width() * r.height()); };
    EXPECT_EQ(pixelsOf(f, qRgb(0, 0, 0), 0, 11), solid(c.topBox));
    EXPECT_EQ(pixelsOf(f, qRgb(0, 0, 0), 11), solid(c.downBox));
}

// The shared row 10 shows the bottom box's edge unless the top half is pressed.
INSTANTIATE_TEST_SUITE_P(
    Faces, ClassicStackedFace,
    ::testing::Values(StackedFaceCase{"normal", TSpinFace::Normal, "HHH", QRect(2, 2, 16, 7),
                                      QRect(2, 12, 16, 5)},
                      StackedFaceCase{"top_pressed", TSpinFace::TopPressed, "DHH",
                                      QRect(2, 2, 16, 6), QRect(2, 13, 16, 5)},
                      StackedFaceCase{"bottom_pressed", TSpinFace::BottomPressed, "HDD",
                                      QRect(2, 2, 16, 7), QRect(2, 12, 16, 5)}),
    [](const auto& info) { return std::string(info.param.name); });

struct PlacementCase {
    const char* name;
    int w, h;
    QPoint up, upPressed, down;
};

class DiagonalPlacement : public SpinTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(DiagonalPlacement, ArrowsAtTheQuarterCentresAndTheSplitOnTheOwnDiagonal) {
    const PlacementCase& c = GetParam();
    make(c.w, c.h, sbsDefault);
    const QImage& f = face(TSpinFace::Normal);
    EXPECT_TRUE(glyphAt(f, upArrow, c.up));
    EXPECT_TRUE(glyphAt(face(TSpinFace::TopPressed), upArrow, c.upPressed));
    for (TSpinFace any : {TSpinFace::Normal, TSpinFace::TopPressed, TSpinFace::BottomPressed})
        EXPECT_TRUE(glyphAt(face(any), downArrow, c.down));
    // The middle line's pixels lie within half a pixel of (W - 2, 1) - (1, H - 2).
    const QRect arrows[] = {QRect(c.up, QSize(6, 6)), QRect(c.down, QSize(6, 6))};
    const double dx = c.w - 3, dy = c.h - 3;
    int onLine = 0;
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x)
            if (colorLetters(f, {{x, y}}) == "K" && !arrows[0].contains(x, y) &&
                !arrows[1].contains(x, y)) {
                ++onLine;
                EXPECT_LE(std::abs((x - 1) * dy + (y - c.h + 2) * dx) / std::hypot(dx, dy), 0.5)
                    << x << "," << y;
            }
    EXPECT_GE(onLine, std::max(c.w, c.h) / 3);
}

INSTANTIATE_TEST_SUITE_P(Sizes, DiagonalPlacement,
                         ::testing::Values(
                             // 22 / 4 - 3 = 2.5 rounds to 2; 66 / 4 - 3 = 13.5 rounds to 14.
                             PlacementCase{
                                 "w22_halves_round_to_even", 22, 20, {3, 3}, {4, 4}, {13, 11}},
                             PlacementCase{"wide_40x20", 40, 20, {8, 3}, {9, 4}, {26, 11}},
                             PlacementCase{"tall_20x30", 20, 30, {3, 5}, {4, 6}, {11, 19}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SpinTest, AUserGlyphIsDrawnInEveryFaceAndStaysAsAssigned) {
    QImage glyph(5, 4, QImage::Format_RGB32);
    glyph.fill(qRgb(255, 0, 0));
    glyph.setPixel(0, 3, qRgb(0, 255, 0)); // bottom-left: the transparent colour
    glyph.setPixel(4, 0, qRgb(0, 255, 0));
    for (bool themed : {false, true}) {
        make(20, 20, sbsDefault, themed);
        spin->SetUpGlyph(glyph);
        for (TSpinButtonStyle style : {sbsClassic, sbsDefault, sbsClassic, sbsDefault}) {
            spin->SetButtonStyle(style);
            rebuild();
        }
        EXPECT_EQ(spin->UpGlyph(), glyph);
        EXPECT_TRUE(spin->DownGlyph().isNull()) << "the default stays out of the slot";
        for (TSpinFace f : allFaces) {
            if (!themed && (f == TSpinFace::TopHot || f == TSpinFace::BottomHot)) continue;
            // Round(20 / 4 - 2.5) = 2 across, Round(5 - 2) = 3 down, plus the offset.
            const QPoint at = !themed && f == TSpinFace::TopPressed ? QPoint(4, 5) : QPoint(3, 4);
            EXPECT_EQ(pixelsOf(face(f), qRgb(255, 0, 0)), std::pair(QRect(at, QSize(5, 4)), 18));
            EXPECT_TRUE(glyphAt(face(f), downArrow, {11, 11}));
        }
        spin->SetUpGlyph(QImage());
        rebuild();
        EXPECT_TRUE(glyphAt(face(TSpinFace::Normal), upArrow, {3, 3})) << "the default is back";
    }
}

struct ThemedCase {
    const char* name;
    TSpinButtonStyle style;
    int w, h;
    QPoint up, down; // the diagonal look's arrows
};

class ThemedFaces : public SpinTest, public ::testing::WithParamInterface<ThemedCase> {};

// Pixels that differ from the normal face, each of which must lie in the given part.
template <typename Inside>
void expectDifferOnlyIn(const QImage& normal, const QImage& other, Inside inside) {
    int differing = 0;
    for (int y = 0; y < normal.height(); ++y)
        for (int x = 0; x < normal.width(); ++x)
            if (normal.pixel(x, y) != other.pixel(x, y)) {
                ++differing;
                ASSERT_TRUE(inside(x, y)) << "differs at " << x << "," << y;
            }
    EXPECT_GT(differing, 0) << "looks like the normal face";
}

TEST_P(ThemedFaces, FiveFacesEachDifferingFromTheNormalOneOnlyInItsHalf) {
    const ThemedCase& c = GetParam();
    const int w = c.w, h = c.h;
    // Signed distance of a pixel centre from the diagonal (-1, h + 1) to (w + 1, -1); the
    // polygon regions may give a pixel that the line grazes to either side.
    const auto side = [w, h](int x, int y) {
        return (double(w + 2) * (y + 1.5) + double(h + 2) * (x + 1.5) - double(w + 2) * (h + 2)) /
               std::hypot(double(w + 2), double(h + 2));
    };
    const bool stacked = c.style == sbsClassic;
    const auto upper = [&](int x, int y) { return stacked ? y <= h / 2 : side(x, y) < 1; };
    const auto lower = [&](int x, int y) { return stacked ? y >= h / 2 : side(x, y) > -1; };
    for (const char* style : {"Fusion", "Windows"}) {
        SCOPED_TRACE(style);
        QApplication::setStyle(QStyleFactory::create(style));
        make(w, h, c.style, true);
        for (TSpinFace f : allFaces)
            ASSERT_EQ(face(f).size(), QSize(w, h));
        const QImage& normal = face(TSpinFace::Normal);
        expectDifferOnlyIn(normal, face(TSpinFace::TopPressed), upper);
        expectDifferOnlyIn(normal, face(TSpinFace::TopHot), upper);
        expectDifferOnlyIn(normal, face(TSpinFace::BottomPressed), lower);
        expectDifferOnlyIn(normal, face(TSpinFace::BottomHot), lower);
        EXPECT_NE(face(TSpinFace::TopHot), face(TSpinFace::TopPressed));
        EXPECT_NE(face(TSpinFace::BottomHot), face(TSpinFace::BottomPressed));
        std::vector<QImage> before;
        for (TSpinFace f : allFaces) {
            before.push_back(face(f));
            if (stacked) continue;
            EXPECT_TRUE(glyphAt(face(f), upArrow, c.up));
            EXPECT_TRUE(glyphAt(face(f), downArrow, c.down));
        }
        if (!stacked) continue;
        // The themed parts carry their own arrows: glyphs change nothing.
        spin->SetUpGlyph(monoGlyph(6, 6));
        spin->SetDownGlyph(monoGlyph(6, 6));
        rebuild();
        for (size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(face(allFaces[i]), before[i]) << i;
    }
    QApplication::setStyle(QStyleFactory::create("Fusion"));
}

INSTANTIATE_TEST_SUITE_P(
    Looks, ThemedFaces,
    ::testing::Values(ThemedCase{"diagonal_20x20", sbsDefault, 20, 20, {3, 3}, {11, 11}},
                      ThemedCase{"diagonal_37x16", sbsDefault, 37, 16, {7, 2}, {24, 8}},
                      ThemedCase{"stacked_20x20", sbsClassic, 20, 20, {}, {}},
                      ThemedCase{"stacked_31x17", sbsClassic, 31, 17, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Upper, middle and lower line: the themed edge light, border hint and edge shadow, which
// are the palette's Light, Shadow and Mid.
TEST_F(SpinTest, ThemedDiagonalLinesInTheThemeColours) {
    make(20, 20, sbsDefault, true);
    for (TSpinFace f : allFaces) {
        EXPECT_EQ(colorLetters(face(f), antidiagonal(18, 1, 17)), std::string(17, 'H')) << int(f);
        EXPECT_EQ(colorLetters(face(f), antidiagonal(19, 2, 18)), std::string(17, 'D')) << int(f);
        EXPECT_EQ(colorLetters(face(f), antidiagonal(20, 2, 18)), std::string(17, 'M')) << int(f);
    }
}

TEST_F(SpinTest, SwitchingTheApplicationStyleRebuildsAtTheNextPaint) {
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    make(20, 20, sbsDefault, std::nullopt);
    ASSERT_FALSE(face(TSpinFace::TopHot).isNull()) << "themed under Fusion";
    const QImage themed = face(TSpinFace::Normal);
    QApplication::setStyle(QStyleFactory::create("Windows"));
    EXPECT_EQ(state(), "0/0 normal");
    EXPECT_TRUE(glyphAt(face(TSpinFace::TopPressed), upArrow, {4, 4})) << "classic now";
    EXPECT_EQ(colorLetters(face(TSpinFace::Normal), {{10, 9}}), "K");
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    rebuild();
    EXPECT_EQ(face(TSpinFace::Normal), themed);
}

TEST_F(SpinTest, AnErrorInABuildLeavesTheGlyphSlotsAsTheyWere) {
    // Each look, failing on the default glyph that it loads after the up glyph's.
    const std::tuple<TSpinButtonStyle, bool, std::string> looks[] = {
        {sbsDefault, false, "QUARNSPINDOWN"},
        {sbsClassic, false, "QUARNSPINDOWNPOLE"},
        {sbsDefault, true, "QUARNSPINDOWN"}};
    for (const auto& [style, themed, failOn] : looks)
        for (const QImage& up : {QImage(), monoGlyph(3, 3)}) {
            make(20, 20, style, themed);
            setBitmapResourceHook([&](const char* name) {
                if (name == failOn) throw std::runtime_error("no glyph");
                return monoGlyph(6, 6);
            });
            spin->SetUpGlyph(up);
            errors.clear();
            rebuild();
            QApplication::processEvents();
            rebuild(); // a failed build is not retried at every paint
            setBitmapResourceHook({});
            EXPECT_EQ(errors, QStringList{"no glyph."});
            EXPECT_EQ(spin->UpGlyph(), up) << "a default left its slot again";
            EXPECT_TRUE(spin->DownGlyph().isNull());
        }
}

} // namespace
