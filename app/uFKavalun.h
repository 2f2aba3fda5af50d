#pragma once

#include "diffraction.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;
class TNumberEdit;
class TQuarnSpinButton;
class TShape;
class OuterFrameFit;
class WindowCanvas;

// The run's variables, one set for the program, overwritten by every run: the run record's
// fields under the names the window gives them.
extern DiffractionRun RunRecord;
extern double& ParticleMass; // kg
extern double& SlitWidthNm;  // nm
extern double& SlitWidth;    // m
extern std::int32_t& MaxCount;
extern double& Speed;    // km/s, then m/s
extern double& Momentum; // kg m/s times 1e34
extern std::int32_t& AngleIndex;
extern std::int32_t& Bin; // 0..98, or OutsideTable
extern std::int32_t& Side;
extern std::int16_t& SideDraw;
extern std::array<std::int64_t, 2001>& LowerCounts;
extern std::array<std::int64_t, 2001>& UpperCounts;
extern std::int64_t& OutsideTableCount;

// The main window: the inputs, the slit barrier and the screen, and the run.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The window's height with title bar and frame, which the geometry follows.
    int outerHeight() const;

    // Called right after the generator is seeded, so tests can make a run reproducible.
    std::function<void()> AfterSeedRandom;
    // Called after each particle's pass, before the loop decides whether to go on.
    std::function<void()> AfterParticle;

    QPushButton* Button1;
    TShape* Shape1;
    TShape* Shape2;
    TShape* Shape3;
    QLabel* Label1;
    QLabel* Label2;
    TNumberEdit* neHmotnost;
    QLabel* Label3;
    TNumberEdit* neSirka;
    QLabel* Label4;
    TNumberEdit* nePocetMaxim;
    QLabel* Label5;
    TNumberEdit* neRychlost;
    QCheckBox* cbAutomat;
    TQuarnSpinButton* QuarnSpinButton1;
    QLabel* Label6;
    QSlider* tbZoom;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;

    void Button1Click(QObject* Sender);
    void FormResize(QObject* Sender);
    void FormCreate(QObject* Sender);
    void cbAutomatClick(QObject* Sender);
    void QuarnSpinButton1BottomClick(QObject* Sender);
    void QuarnSpinButton1TopClick(QObject* Sender);
    void tbZoomChange(QObject* Sender);
    void FormPaint(QObject* Sender);

    bool running() const { return FRunning; }
    std::int32_t pace() const { return FPace; }
    std::int32_t zoomDivisor() const { return FZoomDivisor; }
    std::int64_t particleCount() const { return RunRecord.particles; }
    // The draws of the last run's table, kept after the run; none before the first.
    const std::optional<PatternDraws>& patternDraws() const { return FPatternDraws; }
    WindowCanvas& canvas() const { return *FCanvas; }

    // The running sums of the intensity over 1 to 99 degrees, as 15-digit texts.
    std::vector<std::string> BuildPatternTable();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void RunSimulation();
    void EmitParticles(const std::vector<std::string>& CumulativeTable);
    void drawRay(const QColor& color);
    // The one place Label1's caption is set during a run: it brings the counter up to the
    // value the run last gave it, laying the text out only if that value changed.
    void showParticleCount();

    bool FRunning = false;
    std::int32_t FPace = 5;
    std::int32_t FZoomDivisor = 1;
    std::optional<PatternDraws> FPatternDraws;
    // The value Label1 is to show, and whether its caption still lags behind it.
    std::int64_t FCounterValue = 0;
    bool FCounterLags = false;
    std::unique_ptr<WindowCanvas> FCanvas;
    OuterFrameFit* FFrameFit = nullptr;
};
