#include "uFKavalun.h"

#include "application.h"
#include "errors.h"
#include "messageTimer.h"
#include "numberText.h"
#include "pause.h"
#include "random.h"
#include "shape.h"
#include "systemColors.h"
#include "uNumberEdit.h"
#include "uQuarnSpinEdit.h"
#include "windowCanvas.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <charconv>
#include <map>

namespace {

struct ShownError {
    QString title, text;
};

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override {
        SetDecimalSeparator('.');
        TApplication::setErrorBox([this](const QString& title, const QString& text) {
            errors.push_back({title, text});
        });
        form = std::make_unique<TForm1>();
    }
    void TearDown() override {
        setPauseHook({});
        form.reset();
        TApplication::setErrorBox({});
        application()->resetTerminated();
    }

    void show() {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        QCoreApplication::processEvents();
    }

    void click(QWidget* widget, QPoint at = {}) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, at.isNull() ? widget->rect().center() : at);
    }

    // Starts a run from a fixed generator state and stops it with a real click on the
    // button once `particles` have been fired.
    void runParticles(std::int64_t particles, std::uint32_t state = 0,
                      std::function<void(std::int64_t)> afterEach = {}) {
        form->AfterSeedRandom = [state] { RandomState = state; };
        std::int64_t fired = 0;
        form->AfterParticle = [&] {
            ++fired;
            if (afterEach) afterEach(fired);
            if (fired == particles && form->running()) click(form->Button1);
        };
        while (form->pace() > 0)
            form->QuarnSpinButton1TopClick(form->QuarnSpinButton1);
        click(form->Button1);
        form->AfterParticle = {};
    }

    QImage grab() { return form->grab().toImage(); }
    // What the window has flushed to the screen, not a fresh rendering of it.
    QImage onScreen() {
        return form->screen()
            ->grabWindow(form->winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    std::unique_ptr<TForm1> form;
    std::vector<ShownError> errors;
};

TEST_F(Form1Test, StartsIdleWithTheStoredLayout) {
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Ohyb na Kavalun"));
    EXPECT_FALSE(form->windowIcon().isNull());
    EXPECT_EQ(form->Button1->text(), "Start!");
    EXPECT_EQ(form->Label1->text(), "0");
    EXPECT_FALSE(form->running());
    EXPECT_EQ(form->pace(), 5);
    EXPECT_EQ(form->zoomDivisor(), 1);
    EXPECT_TRUE(form->neRychlost->isReadOnly());
    EXPECT_FALSE(form->neRychlost->isEnabled());
    EXPECT_TRUE(form->nePocetMaxim->isEnabled());
    EXPECT_TRUE(form->cbAutomat->isChecked());
    EXPECT_EQ(form->tbZoom->value(), 100);
    EXPECT_EQ(form->tbZoom->minimum(), 1);
    EXPECT_EQ(form->tbZoom->tickInterval(), 25);

    const std::map<TNumberEdit*, std::pair<QString, long double>> fields = {
        {form->neHmotnost, {"1", 1}},
        {form->neSirka, {"10", 10}},
        {form->nePocetMaxim, {"3", 3}},
        {form->neRychlost, {"300", 300}}};
    for (const auto& [field, expected] : fields) {
        EXPECT_EQ(field->text(), expected.first);
        EXPECT_EQ(field->Value(), expected.second);
    }

    // Tab order runs from the button through the fields to the zoom bar.
    QList<QWidget*> chain;
    for (QWidget* w = form->Button1; chain.size() < 7; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus) chain.push_back(w);
    EXPECT_EQ(chain,
              (QList<QWidget*>{form->Button1, form->neHmotnost, form->neSirka, form->nePocetMaxim,
                               form->neRychlost, form->cbAutomat, form->tbZoom}));
}

TEST_F(Form1Test, EveryControlStandsWhereTheLayoutPutsIt) {
    struct Row {
        QWidget* control;
        QRect geometry; // a label's width follows its caption, so labels give 0 there
        const char* caption;
    };
    auto text = [](QWidget* w) -> QString {
        if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
        if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
        return {};
    };
    const std::vector<Row> rows = {
        {form->Shape3, {486, 10, 6, 695}, ""},
        {form->Label1, {299, 171, 0, 13}, "0"},
        {form->Label2, {128, 54, 0, 13}, "Hmotnost částice: "},
        {form->Label3, {128, 85, 0, 13}, "Šířka Kavalun [nm]:"},
        {form->Label4, {128, 112, 0, 13}, "Počet maxim:"},
        {form->Label5, {128, 144, 0, 13}, "Rychlost [km/s]:"},
        {form->QuarnSpinButton1, {237, 168, 20, 20}, ""},
        {form->Label6, {128, 170, 0, 13}, "Vydatnost zdroje"},
        {form->Label7, {136, 197, 0, 13}, "Zoom"},
        {form->Label8, {262, 171, 0, 13}, "Částic"},
        {form->Label9, {136, 65, 0, 13}, "(elektron = 1) "},
        {form->Button1, {376, 104, 75, 25}, "Start!"},
        {form->neHmotnost, {237, 54, 121, 21}, "1"},
        {form->neSirka, {237, 82, 121, 21}, "10"},
        {form->nePocetMaxim, {237, 109, 121, 21}, "3"},
        {form->neRychlost, {237, 141, 121, 21}, "300"},
        {form->cbAutomat, {192, 32, 169, 17}, "Automatické určení rychlosti"},
        {form->tbZoom, {232, 192, 129, 45}, ""},
    };
    for (const auto& row : rows) {
        const QRect actual = row.control->geometry();
        const QString caption = QString::fromUtf8(row.caption);
        SCOPED_TRACE(caption.toStdString());
        EXPECT_EQ(actual.topLeft(), row.geometry.topLeft());
        if (row.geometry.width() > 0)
            EXPECT_EQ(actual.size(), row.geometry.size());
        else
            EXPECT_GT(actual.width(), 0);
        EXPECT_EQ(text(row.control), caption);
    }
    // Created in the stored order: light controls, then the drawing, then windowed controls.
    const QObjectList children = form->children();
    auto index = [&](QObject* o) { return children.indexOf(o); };
    EXPECT_LT(index(form->Shape1), index(form->Label1));
    EXPECT_LT(index(form->Label9), index(form->canvas().overlay()));
    EXPECT_LT(index(form->canvas().overlay()), index(form->Button1));
    EXPECT_LT(index(form->cbAutomat), index(form->tbZoom));
}

TEST_F(Form1Test, OuterSizeIsTheStoredOneAndTheBarrierFollowsIt) {
    show();
    EXPECT_EQ(form->windowHandle()->frameGeometry().size(), QSize(1024, 738));
    EXPECT_EQ(form->outerHeight(), 738);
    EXPECT_EQ(form->Shape1->geometry(), QRect(95, 5, 8, 359));
    EXPECT_EQ(form->Shape2->geometry(), QRect(95, 375, 8, 289));
    EXPECT_EQ(form->Shape3->geometry(), QRect(486, 10, 6, 695));

    const QMargins frame = form->windowHandle()->frameMargins();
    form->resize(form->width(), 600 - frame.top() - frame.bottom());
    QCoreApplication::processEvents();
    EXPECT_EQ(form->outerHeight(), 600);
    EXPECT_EQ(form->Shape1->geometry(), QRect(95, 5, 8, 290)); // rows 5 to 294
    EXPECT_EQ(form->Shape2->geometry(), QRect(95, 306, 8, 220));
}

// Runs on the default screen and, from tests/CMakeLists.txt, on the smaller ones of laptops.
TEST_F(Form1Test, WindowFitsTheAvailableAreaAndTheSlitFollowsItsHeight) {
    show();
    const QRect available = form->screen()->availableGeometry();
    const QRect outer = form->windowHandle()->frameGeometry();
    EXPECT_EQ(outer.size(), QSize(1024, 738).boundedTo(available.size()));
    EXPECT_TRUE(available.contains(outer)) << "the title bar and every edge within reach";
    EXPECT_EQ(form->outerHeight(), outer.height());
    // Shape1's height, Shape2's top and height by the outer height.
    const std::map<int, std::array<int, 3>> barrier = {
        {738, {359, 375, 289}}, {720, {350, 366, 280}}, {736, {358, 374, 288}}};
    ASSERT_TRUE(barrier.count(outer.height())) << outer.height();
    const auto [upper, lowerTop, lower] = barrier.at(outer.height());
    EXPECT_EQ(form->Shape1->geometry(), QRect(95, 5, 8, upper));
    EXPECT_EQ(form->Shape2->geometry(), QRect(95, lowerTop, 8, lower));
}

TEST_F(Form1Test, LabelsDoNotRunIntoTheirNeighbours) {
    show();
    const std::vector<std::pair<QWidget*, QWidget*>> neighbours = {
        {form->Label2, form->neHmotnost}, {form->Label9, form->neHmotnost},
        {form->Label3, form->neSirka},    {form->Label4, form->nePocetMaxim},
        {form->Label5, form->neRychlost}, {form->Label6, form->QuarnSpinButton1},
        {form->Label7, form->tbZoom},     {form->Label8, form->Label1}};
    for (const auto& [label, right] : neighbours)
        EXPECT_LT(label->geometry().right(), right->x())
            << label->objectName().toStdString() << qPrintable(static_cast<QLabel*>(label)->text());
}

TEST_F(Form1Test, CheckBoxSwitchesBetweenSpeedAndMaxima) {
    click(form->cbAutomat);
    EXPECT_FALSE(form->cbAutomat->isChecked());
    EXPECT_FALSE(form->neRychlost->isReadOnly());
    EXPECT_TRUE(form->neRychlost->isEnabled());
    EXPECT_FALSE(form->nePocetMaxim->isEnabled());
    click(form->cbAutomat);
    EXPECT_TRUE(form->neRychlost->isReadOnly());
    EXPECT_FALSE(form->neRychlost->isEnabled());
    EXPECT_TRUE(form->nePocetMaxim->isEnabled());
}

TEST_F(Form1Test, SpinButtonStepsThePace) {
    show();
    for (int i = 0; i < 5; ++i)
        click(form->QuarnSpinButton1, {5, 5});
    EXPECT_EQ(form->pace(), 0);
    click(form->QuarnSpinButton1, {5, 5});
    EXPECT_EQ(form->pace(), 0);
    click(form->QuarnSpinButton1, {15, 15});
    click(form->QuarnSpinButton1, {15, 15});
    EXPECT_EQ(form->pace(), 2);
}

TEST_F(Form1Test, HoldingTheUpperHalfForASecondStepsEightTimes) {
    show();
    ManualTimerClock clock;
    while (form->pace() < 20)
        click(form->QuarnSpinButton1, {15, 15});
    // One step at the press, then at 400, 500, ..., 1000 ms.
    QTest::mousePress(form->QuarnSpinButton1, Qt::LeftButton, {}, {5, 5});
    clock.advance(1000);
    QTest::mouseRelease(form->QuarnSpinButton1, Qt::LeftButton, {}, {5, 5});
    EXPECT_EQ(form->pace(), 12);
    clock.advance(1000);
    EXPECT_EQ(form->pace(), 12) << "no steps after the release";
}

TEST_F(Form1Test, ZoomPositionGivesTheDivisor) {
    const std::vector<std::pair<int, int>> rows = {{100, 1}, {99, 1}, {98, 2}, {50, 50}, {1, 99}};
    for (const auto& [position, divisor] : rows) {
        form->tbZoom->setValue(position);
        EXPECT_EQ(form->zoomDivisor(), divisor) << "position " << position;
    }
}

struct TableCase {
    const char* name;
    bool automatic;
    const char* speed; // typed into the speed field when not automatic
    const char* maxima;
    const char* speedShown;
    const char* speedKms; // Speed before it turns into m/s
    std::map<int, const char*> entries;
};

TEST_F(Form1Test, PatternTableHasTheExactDigits) {
    const std::vector<TableCase> cases = {
        {"defaults",
         true,
         "",
         "3",
         "198",
         "197.802197802198",
         {{0, "0.991114647428793"},
          {98, "9.05000532731831"},
          {92, "9.04898199513191"},
          {93, "9.04904784184253"}}},
        {"manual speed 300",
         false,
         "300",
         "3",
         "300",
         "300",
         {{0, "0.979655754177481"}, {1, "1.90027781021972"}, {98, "5.90523893343312"}}},
        {"one maximum",
         true,
         "",
         "1",
         "66",
         "65.9340659340659",
         {{0, "0.999009603945794"}, {98, "27.5271610008968"}}},
        {"manual speed ignores the maxima",
         false,
         "300",
         "7",
         "300",
         "300",
         {{0, "0.979655754177481"}, {98, "5.90523893343312"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form->cbAutomat->setChecked(c.automatic);
        form->nePocetMaxim->setText(c.maxima);
        if (!c.automatic) form->neRychlost->setText(c.speed);
        const std::vector<std::string> table = form->BuildPatternTable();
        ASSERT_EQ(table.size(), 99u);
        for (const auto& [index, text] : c.entries)
            EXPECT_EQ(table[index], text) << "entry " << index;
        for (std::size_t k = 1; k < table.size(); ++k)
            EXPECT_LE(TextToNumber(table[k - 1]), TextToNumber(table[k])) << "entry " << k;
        EXPECT_EQ(form->neRychlost->text(), c.speedShown);
        EXPECT_EQ(NumberToText(Speed / 1000), c.speedKms);
    }
}

TEST_F(Form1Test, DefaultRunVariables) {
    form->BuildPatternTable();
    EXPECT_EQ(ParticleMass, double(9.1e-31L));
    EXPECT_EQ(SlitWidthNm, 10.0);
    EXPECT_EQ(SlitWidth, double(1e-9L * 10));
    EXPECT_EQ(MaxCount, 3);
    EXPECT_EQ(NumberToText(Momentum), "1800000000");
}

TEST_F(Form1Test, TableWorksWithTheCommaSeparator) {
    SetDecimalSeparator(',');
    const std::vector<std::string> table = form->BuildPatternTable();
    EXPECT_EQ(table[0], "0,991114647428793");
    EXPECT_EQ(table[98], "9,05000532731831");
}

struct FaultCase {
    const char* name;
    bool automatic;
    const char* mass;
    const char* width;
    const char* maxima;
    const char* speed;
    const char* message;
    const char* speedAfter = nullptr; // what the speed field shows after the fault
};

TEST_F(Form1Test, FaultsOfTheRunReachTheErrorBox) {
    const std::vector<FaultCase> cases = {
        {"mass cleared", true, "", "10", "3", "", "Floating point division by zero."},
        {"slit width 0", true, "1", "0", "3", "", "Floating point division by zero."},
        {"maxima 0 and mass 0", true, "0", "10", "0", "", "Invalid floating point operation."},
        {"maxima 0", true, "1", "10", "0", "", "Invalid floating point operation.", "0"},
        {"manual speed 0", false, "1", "10", "3", "0", "Invalid floating point operation."},
        {"manual slit width 0", false, "1", "0", "3", "300", "Invalid floating point operation."},
        {"mass beyond a double", true, "1e400", "10", "3", "", "Floating point overflow."},
    };
    // Should a case not fault, its run stops after one particle instead of running on.
    form->AfterParticle = [this] { click(form->Button1); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        errors.clear();
        form->cbAutomat->setChecked(c.automatic);
        form->neHmotnost->setText(c.mass);
        form->neSirka->setText(c.width);
        form->nePocetMaxim->setText(c.maxima);
        if (!c.automatic) form->neRychlost->setText(c.speed);
        click(form->Button1);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].text, c.message);
        EXPECT_EQ(form->canvas().image()->convertToFormat(QImage::Format_ARGB32), [&] {
            QImage clear(form->canvas().image()->size(), QImage::Format_ARGB32);
            clear.fill(Qt::transparent);
            return clear;
        }()) << "nothing is drawn";
        EXPECT_EQ(errors[0].title, QString::fromUtf8("Ohyb na Kavalun"));
        // The fault leaves the window running; the next click stops, the one after starts.
        EXPECT_TRUE(form->running());
        EXPECT_EQ(form->Button1->text(), "Stop!");
        click(form->Button1);
        EXPECT_FALSE(form->running());
        EXPECT_EQ(form->Button1->text(), "Start!");
        if (c.speedAfter) {
            EXPECT_EQ(form->neRychlost->text(), c.speedAfter);
        }
    }
}

// The bin and side of each particle, worked out from the generator's recurrence and the
// table's digits without the run's code.
struct Prediction {
    std::map<int, std::int64_t> lower, upper;
    std::int64_t outside = 0;
};

Prediction predict(const std::vector<std::string>& table, std::uint32_t state,
                   std::int64_t particles) {
    Prediction p;
    std::vector<long double> entries;
    // Read in the C locale whatever the user's is, as the table is written.
    for (const auto& t : table)
        std::from_chars(t.data(), t.data() + t.size(), entries.emplace_back());
    const auto n = static_cast<std::uint64_t>(std::llround(entries.back() * 1000));
    auto next = [&state](std::uint64_t below) {
        state = state * 134775813u + 1u;
        return static_cast<std::uint32_t>((std::uint64_t(state) * below) >> 32);
    };
    for (std::int64_t i = 0; i < particles; ++i) {
        const std::uint32_t drawn = next(n);
        int bin = -105;
        for (int k = 98; k >= 0; --k)
            if (entries[k] * 1000 < drawn) {
                bin = k;
                break;
            }
        const bool lower = next(2) == 0;
        if (bin < 0)
            ++p.outside;
        else
            ++(lower ? p.lower : p.upper)[bin];
    }
    return p;
}

TEST_F(Form1Test, ParticlesLandWhereTheGeneratorAndTableSay) {
    const std::int64_t particles = 10000;
    runParticles(particles, 12345);
    EXPECT_FALSE(form->running());
    EXPECT_EQ(form->particleCount(), particles);
    EXPECT_EQ(form->Label1->text(), QString::number(particles - 1)) << "the label lags by one";

    const Prediction expected = predict(form->BuildPatternTable(), 12345, particles);
    std::int64_t total = OutsideTableCount;
    for (int bin = 0; bin <= 200; ++bin) {
        EXPECT_EQ(LowerCounts[bin], expected.lower.count(bin) ? expected.lower.at(bin) : 0)
            << "lower bin " << bin;
        EXPECT_EQ(UpperCounts[bin], expected.upper.count(bin) ? expected.upper.at(bin) : 0)
            << "upper bin " << bin;
        total += LowerCounts[bin] + UpperCounts[bin];
    }
    EXPECT_EQ(OutsideTableCount, expected.outside);
    EXPECT_EQ(total, particles);
    // 992 of the 9050 draws lie at or below the first entry.
    EXPECT_NEAR(double(OutsideTableCount) / particles, 992.0 / 9050, 0.01);
    for (int bin = 93; bin <= 98; ++bin)
        EXPECT_EQ(LowerCounts[bin] + UpperCounts[bin], 0) << "bin " << bin;
    EXPECT_GT(LowerCounts[92] + UpperCounts[92], 0);
}

TEST_F(Form1Test, TinyTableSendsEveryParticleOutside) {
    click(form->cbAutomat);
    form->neRychlost->setText("10000000");
    runParticles(200);
    EXPECT_EQ(OutsideTableCount, 200);
    for (int bin = 0; bin <= 200; ++bin)
        ASSERT_EQ(LowerCounts[bin] + UpperCounts[bin], 0);
}

TEST_F(Form1Test, StartClearsCountsButNotTheFields) {
    runParticles(50);
    LowerCounts[150] = 7;
    form->neHmotnost->setText("2");
    runParticles(1);
    EXPECT_EQ(LowerCounts[150], 0);
    EXPECT_EQ(form->neHmotnost->text(), "2");
    std::int64_t total = OutsideTableCount;
    for (int bin = 0; bin <= 200; ++bin)
        total += LowerCounts[bin] + UpperCounts[bin];
    EXPECT_EQ(total, 1);
}

// Pixels: bars, erased rays and what the drawing lies over.
class Form1PixelTest : public Form1Test {
protected:
    int h2() const { return form->outerHeight() / 2; }
    QRgb face() const { return clBtnFace().rgb(); }
    static bool black(QRgb c) { return qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) == 0; }
    // The screen shows the counter as the label renders its caption: whole and current.
    bool counterOnScreen() {
        const QRect area = form->Label1->geometry();
        QImage own(area.size(), QImage::Format_RGB32);
        own.fill(clBtnFace());
        form->Label1->render(&own, {}, {}, QWidget::DrawChildren);
        return onScreen().copy(area) == own;
    }
};

TEST_F(Form1PixelTest, BarsAreTwoRowsFrom501AtTheZoomOfTheMoment) {
    show();
    // Take the run from the first wiped repaint on, and watch the bins as they fill.
    std::vector<std::pair<int, int>> bins;
    runParticles(400, 777, [&](std::int64_t) {
        if (Bin >= 0) bins.push_back({Bin, Side});
    });
    const QImage image = grab();
    int checked = 0;
    for (int bin = 1; bin <= 40; ++bin)
        for (int side : {1, -1}) {
            const std::int64_t count = (side == 1 ? LowerCounts : UpperCounts)[bin];
            if (count < 3) continue;
            // A bar is drawn only when its bin is hit; the last hit drew the full count.
            const int y = h2() + side * bin * 5;
            for (int x = 501; x <= 500 + count - 1; ++x) {
                ASSERT_TRUE(black(image.pixel(x, y))) << bin << " " << side << " x " << x;
                ASSERT_TRUE(black(image.pixel(x, y + 1))) << bin << " " << side << " x " << x;
            }
            EXPECT_FALSE(black(image.pixel(500 + count, y))) << bin;
            EXPECT_FALSE(black(image.pixel(501, y + 2))) << bin;
            ++checked;
        }
    EXPECT_GT(checked, 20);
}

TEST_F(Form1PixelTest, ZoomChangeWipesTheDrawingAndSetsTheNextDivisor) {
    show();
    int wipedAt = -1;
    runParticles(300, 99, [&](std::int64_t fired) {
        if (fired == 200) {
            form->tbZoom->setValue(90); // divisor 10
            QCoreApplication::processEvents();
            const QImage wiped = grab();
            wipedAt = 0;
            for (int y = 0; y < wiped.height(); ++y)
                for (int x = 501; x < 700; ++x)
                    if (black(wiped.pixel(x, y))) ++wipedAt;
        }
        if (fired == 300) {
            EXPECT_EQ(form->zoomDivisor(), 10);
        }
    });
    EXPECT_EQ(wipedAt, 0) << "no bar survives the zoom change";
    // Stopping moved the bar back to 100, which set the divisor back to 1.
    EXPECT_EQ(form->tbZoom->value(), 100);
    EXPECT_EQ(form->zoomDivisor(), 1);
}

// Particles steered by the generator's state: a slow, light particle makes the table the
// whole numbers 1 to 99, so that draws can equal entries exactly.
class Form1SteeredTest : public Form1PixelTest {
protected:
    static constexpr std::uint32_t n = 99000;

    void useWholeNumberTable() {
        click(form->cbAutomat);
        form->neHmotnost->setText("0.000000001");
        form->neRychlost->setText("1");
        const std::vector<std::string> table = form->BuildPatternTable();
        for (int k = 0; k < 99; ++k)
            ASSERT_EQ(table[k], std::to_string(k + 1));
    }

    // The state after which the generator draws `draw` of n and then the side `side`.
    static std::uint32_t stateFor(std::uint32_t draw, int side) {
        std::uint32_t inverse = 134775813u; // of the multiplier, modulo 2^32 (Newton)
        for (int i = 0; i < 5; ++i)
            inverse *= 2u - 134775813u * inverse;
        for (std::uint64_t s = ((std::uint64_t(draw) << 32) + n - 1) / n; (s * n) >> 32 == draw;
             ++s) {
            const std::uint32_t next = std::uint32_t(s) * 134775813u + 1u;
            if ((next >> 31 == 0) == (side == 1)) return (std::uint32_t(s) - 1u) * inverse;
        }
        ADD_FAILURE() << "no state draws " << draw;
        return 0;
    }

    // Fires a first particle, which the start's repaint wipes, then one that `prepare` may
    // set up and `check` looks at.
    void fireSecond(std::uint32_t draw, int side, std::function<void()> prepare,
                    std::function<void()> check) {
        runParticles(2, stateFor(60000, -1), [&](std::int64_t fired) {
            if (fired == 1) {
                if (prepare) prepare();
                RandomState = stateFor(draw, side);
            } else {
                check();
            }
        });
    }
};

TEST_F(Form1SteeredTest, ADrawEqualToAnEntryDoesNotSelectIt) {
    useWholeNumberTable();
    const struct {
        std::uint32_t draw; // thousandths
        int bin;
    } rows[] = {{0, OutsideTable}, {1000, OutsideTable}, {1001, 0},   {50000, 48},
                {50001, 49},       {98000, 96},          {98001, 97}, {98999, 97}};
    for (const auto& row : rows) {
        fireSecond(row.draw, 1, {}, [&] { EXPECT_EQ(Bin, row.bin) << "draw " << row.draw; });
    }
}

TEST_F(Form1SteeredTest, BarLengthIsTheCountDividedByTheZoom) {
    show();
    useWholeNumberTable();
    const int bin = 20, y = h2() + bin * 5;
    // Length 0 turns the rectangle round into a stub at x 500; length 1 draws nothing.
    const struct {
        int divisor, count, length;
    } rows[] = {{1, 1, 1},   {1, 2, 2},   {1, 30, 30}, {10, 9, 0},  {10, 10, 1},
                {10, 57, 5}, {99, 98, 0}, {99, 99, 1}, {99, 400, 4}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.divisor << " " << row.count);
        form->tbZoom->setValue(100 - row.divisor);
        fireSecond(
            bin * 1000 + 1500, 1, [&] { LowerCounts[bin] = row.count - 1; },
            [&] {
                const QImage& drawing = *form->canvas().image();
                const auto ink = [&](int x, int y) { return drawing.pixel(x, y) == qRgb(0, 0, 0); };
                EXPECT_EQ(LowerCounts[bin], row.count);
                for (int x = 500; x <= 500 + std::max(row.length, 1); ++x) {
                    const bool bar = row.length == 0 ? x == 500 : x > 500 && x < 500 + row.length;
                    EXPECT_EQ(ink(x, y), bar) << "x " << x;
                    EXPECT_EQ(ink(x, y + 1), bar) << "x " << x;
                }
                EXPECT_FALSE(ink(501, y + 2));
            });
    }
}

TEST_F(Form1PixelTest, ErasedRayCutsThroughTheScreenShape) {
    show();
    runParticles(30, 4242);
    const QImage image = grab();
    // The last ray was erased with the button face across the white screen.
    const int H2 = h2();
    const double t = (488.0 - 100) / 400;
    const int y = int(H2 + t * (Side * Bin * 5));
    bool erased = false;
    for (int dy = -1; dy <= 1; ++dy)
        if (image.pixel(488, y + dy) == face()) erased = true;
    EXPECT_TRUE(erased) << "at (488, " << y << ")";
    EXPECT_EQ(image.pixel(488, 20), qRgb(255, 255, 255)) << "the screen elsewhere stays white";
}

TEST_F(Form1PixelTest, DrawingLiesUnderTheWindowedControlsAndOverTheRest) {
    show();
    const QRgb red = qRgb(255, 0, 0);
    WindowCanvas& canvas = form->canvas();
    canvas.setPenColor(QColor(red));
    // Fan of rays from the slit across the whole control panel.
    for (int endY = -400; endY <= 400; endY += 4) {
        canvas.moveTo(100, h2());
        canvas.lineTo(500, endY);
    }
    const QImage image = grab();
    auto redIn = [&](QWidget* w) {
        int n = 0;
        const QRect r = w->geometry();
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += image.pixel(x, y) == red;
        return n;
    };
    for (QWidget* w : std::initializer_list<QWidget*>{form->neHmotnost, form->neSirka,
                                                      form->nePocetMaxim, form->neRychlost,
                                                      form->Button1, form->cbAutomat, form->tbZoom})
        EXPECT_EQ(redIn(w), 0) << w->metaObject()->className();
    for (QWidget* w : std::initializer_list<QWidget*>{form->Label6, form->Label8,
                                                      form->QuarnSpinButton1, form->Shape3})
        EXPECT_GT(redIn(w), 0) << w->metaObject()->className();
}

TEST_F(Form1PixelTest, StoppingAwayFromFullZoomClearsTheDrawing) {
    show();
    runParticles(100, 5, [&](std::int64_t fired) {
        if (fired == 10) form->tbZoom->setValue(100); // unchanged: nothing happens
    });
    QCoreApplication::processEvents();
    int black100 = 0;
    QImage image = grab();
    for (int y = 0; y < image.height(); ++y)
        black100 += black(image.pixel(501, y));
    EXPECT_GT(black100, 0) << "stopping at full zoom leaves the bars";

    runParticles(20, 5, [&](std::int64_t fired) {
        if (fired == 19) form->tbZoom->setValue(30);
    });
    QCoreApplication::processEvents();
    image = grab();
    int blackAfter = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 501; x < 600; ++x)
            blackAfter += black(image.pixel(x, y));
    EXPECT_EQ(blackAfter, 0);
    EXPECT_EQ(form->tbZoom->value(), 100);
}

TEST_F(Form1PixelTest, FirstParticleAfterStartIsWipedButCounted) {
    show();
    QImage afterFirst;
    runParticles(1, 3);
    QCoreApplication::processEvents();
    afterFirst = grab();
    int blackBars = 0;
    for (int y = 0; y < afterFirst.height(); ++y)
        blackBars += black(afterFirst.pixel(501, y));
    EXPECT_EQ(blackBars, 0);
    std::int64_t total = OutsideTableCount;
    for (int bin = 0; bin <= 200; ++bin)
        total += LowerCounts[bin] + UpperCounts[bin];
    EXPECT_EQ(total, 1);
}

// What reaches the screen: the counter whole, each ray through a pause of a frame or more,
// and the last drawing when a run ends.
TEST_F(Form1PixelTest, CounterDigitsStayWholeAfterALongRun) {
    show();
    runParticles(20000, 2024);
    EXPECT_EQ(form->Label1->text(), "19999") << "one less than the number fired";
    EXPECT_TRUE(QTest::qWaitFor([this] { return counterOnScreen(); }));
}

TEST_F(Form1PixelTest, EachRayIsOnScreenThroughAPauseOfAFrameOrMore) {
    show();
    while (form->pace() < 20)
        form->QuarnSpinButton1BottomClick(form->QuarnSpinButton1);
    int pauses = 0;
    setPauseHook([&](int ms) {
        ASSERT_EQ(ms, 20);
        ++pauses;
        // Right of the panel's controls, where every ray crosses x 470 (within a row).
        const int y = h2() + Side * Bin * 5 * 370 / 400;
        const QImage screen = onScreen();
        if (y < 1 || y + 1 >= screen.height()) return;
        EXPECT_EQ(form->Label1->text(), QString::number(pauses - 1));
        EXPECT_TRUE(counterOnScreen()) << "pause " << pauses;
        EXPECT_TRUE(black(screen.pixel(470, y - 1)) || black(screen.pixel(470, y)) ||
                    black(screen.pixel(470, y + 1)))
            << "pause " << pauses << " at row " << y;
    });
    form->AfterSeedRandom = [] { RandomState = 31; };
    form->AfterParticle = [&] {
        if (pauses == 8) click(form->Button1);
    };
    click(form->Button1);
    EXPECT_EQ(pauses, 8);
}

TEST_F(Form1PixelTest, TheLastDrawingIsOnScreenWhenARunEnds) {
    show();
    int y = -1;
    runParticles(3000, 8, [&](std::int64_t) {
        if (Bin > 0 && (Side == 1 ? LowerCounts : UpperCounts)[Bin] >= 2) y = h2() + Side * Bin * 5;
    });
    ASSERT_GE(y, 0);
    EXPECT_TRUE(black(onScreen().pixel(501, y))) << "row " << y;
}

// The window stays usable while particles fly.
TEST_F(Form1Test, PaceChangesDuringARun) {
    show();
    std::vector<int> paces;
    runParticles(6, 1, [&](std::int64_t fired) {
        if (fired == 2) click(form->QuarnSpinButton1, {15, 15});
        if (fired == 3) click(form->QuarnSpinButton1, {15, 15});
        paces.push_back(form->pace());
    });
    EXPECT_EQ(paces, (std::vector<int>{0, 1, 2, 2, 2, 2}));
}

TEST_F(Form1Test, ResizeDuringARunMovesTheSlit) {
    show();
    std::vector<int> origins;
    runParticles(4, 1, [&](std::int64_t fired) {
        if (fired == 2) {
            const QMargins frame = form->windowHandle()->frameMargins();
            form->resize(form->width(), 600 - frame.top() - frame.bottom());
        }
        origins.push_back(form->canvas().penPosition().y() - Side * Bin * 5);
    });
    EXPECT_EQ(origins, (std::vector<int>{369, 369, 300, 300}));
    EXPECT_EQ(form->Shape2->y(), 306);
}

TEST_F(Form1Test, StopWorksWithoutAnyPause) {
    std::int64_t fired = 0;
    form->AfterParticle = [&] {
        if (++fired == 25) click(form->Button1);
    };
    while (form->pace() > 0)
        click(form->QuarnSpinButton1, {5, 5});
    click(form->Button1);
    EXPECT_EQ(fired, 25);
    EXPECT_FALSE(form->running());
    EXPECT_EQ(form->Button1->text(), "Start!");
    EXPECT_EQ(form->Label1->text(), "24");
}

TEST_F(Form1Test, ClosingTheWindowEndsTheRun) {
    show();
    std::int64_t fired = 0;
    form->AfterParticle = [&] {
        if (++fired == 5) form->close();
    };
    click(form->Button1);
    EXPECT_EQ(fired, 5);
    EXPECT_TRUE(application()->terminated());
    EXPECT_TRUE(form->running()) << "closing ends the run without a stop click";
    EXPECT_EQ(form->tbZoom->value(), 100);
}

TEST_F(Form1Test, LocaleChangeTakesTheSeparatorAgain) {
    SetDecimalSeparator(',');
    QEvent change(QEvent::LocaleChange);
    QCoreApplication::sendEvent(form.get(), &change);
    const QString point = QLocale::system().decimalPoint();
    EXPECT_EQ(DecimalSeparator(), point.size() == 1 ? point[0].toLatin1() : '.');
}

TEST(ErrorBoxText, AddsAFullStopAfterLettersOnly) {
    const std::vector<std::pair<QString, QString>> rows = {
        {"Floating point overflow", "Floating point overflow."},
        {"Done.", "Done."},
        {"Value -", "Value -"},
        {"ends in 5", "ends in 5."},
        {"", ""},
    };
    for (const auto& [message, shown] : rows)
        EXPECT_EQ(TApplication::errorBoxText(message), shown) << qPrintable(message);
}

TEST(ErrorBox, ErrorOfAnEventHandlerIsShownAndTheProgramGoesOn) {
    std::vector<QString> shown;
    TApplication::setErrorBox([&](const QString&, const QString& text) { shown.push_back(text); });
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked, [] { throw EZeroDivide(); });
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    TApplication::setErrorBox({});
    EXPECT_EQ(shown, (std::vector<QString>{"Floating point division by zero.",
                                           "Floating point division by zero."}));
}

} // namespace
