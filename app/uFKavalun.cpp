#include "uFKavalun.h"

#include "application.h"
#include "decimalSeparator.h"
#include "floatEnv.h"
#include "lessonExport.h"
#include "numberText.h"
#include "outerFrame.h"
#include "pause.h"
#include "random.h"
#include "shape.h"
#include "systemColors.h"
#include "uNumberEdit.h"
#include "uQuarnSpinEdit.h"
#include "windowAccess.h"
#include "windowCanvas.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

DiffractionRun RunRecord;
double& ParticleMass = RunRecord.ParticleMass;
double& SlitWidthNm = RunRecord.SlitWidthNm;
double& SlitWidth = RunRecord.SlitWidth;
std::int32_t& MaxCount = RunRecord.MaxCount;
double& Speed = RunRecord.Speed;
double& Momentum = RunRecord.Momentum;
std::int32_t& AngleIndex = RunRecord.AngleIndex;
std::int32_t& Bin = RunRecord.Bin;
std::int32_t& Side = RunRecord.Side;
std::int16_t& SideDraw = RunRecord.SideDraw;
std::array<std::int64_t, 2001>& LowerCounts = RunRecord.LowerCounts;
std::array<std::int64_t, 2001>& UpperCounts = RunRecord.UpperCounts;
std::int64_t& OutsideTableCount = RunRecord.OutsideTableCount;

namespace {

constexpr int outerWidth = 1024;
constexpr int storedOuterHeight = 738;

QLabel* makeLabel(QWidget* parent, const char* caption, int left, int top) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

TNumberEdit* makeNumberEdit(QWidget* parent, QRect geometry, const char* text, TValueType type,
                            Extended value) {
    auto* edit = new TNumberEdit(parent);
    edit->setGeometry(geometry);
    edit->LoadLayout({QString::fromUtf8(text), type, 0, 0, 0, value});
    return edit;
}

} // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QString::fromUtf8("Ohyb na Kavalun"));
    setWindowIcon(QIcon(QStringLiteral(":/MAINICON")));
    // The window and the pen that erases a ray share the button-face colour.
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    // The stored label widths were measured with a narrow sans; the usual Linux default
    // sans runs the labels into the fields.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);

    // Created in this order, so that overlapping light controls stack the same way.
    Shape1 = new TShape(this);
    Shape1->setGeometry(95, 5, 8, 233);
    Shape2 = new TShape(this);
    Shape2->setGeometry(95, 242, 8, 467);
    Shape3 = new TShape(this);
    Shape3->setGeometry(486, 10, 6, 695);
    Label1 = makeLabel(this, "0", 299, 171);
    Label2 = makeLabel(this, "Hmotnost částice: ", 128, 54);
    Label3 = makeLabel(this, "Šířka Kavalun [nm]:", 128, 85);
    Label4 = makeLabel(this, "Počet maxim:", 128, 112);
    Label5 = makeLabel(this, "Rychlost [km/s]:", 128, 144);
    QuarnSpinButton1 = new TQuarnSpinButton(this);
    QuarnSpinButton1->setGeometry(237, 168, 20, 20);
    QuarnSpinButton1->SetOnBottomClick([this](QObject* s) { QuarnSpinButton1BottomClick(s); });
    QuarnSpinButton1->SetOnTopClick([this](QObject* s) { QuarnSpinButton1TopClick(s); });
    Label6 = makeLabel(this, "Vydatnost zdroje", 128, 170);
    Label7 = makeLabel(this, "Zoom", 136, 197);
    Label8 = makeLabel(this, "Částic", 262, 171);
    Label9 = makeLabel(this, "(elektron = 1) ", 136, 65);

    // Rays and bars lie over everything created so far and under what follows.
    FCanvas = std::make_unique<WindowCanvas>(this);
    // A run counts thousands of particles a second but the screen shows one value a frame.
    FCanvas->setBeforePresent([this] { showParticleCount(); });

    Button1 = new QPushButton(QStringLiteral("Start!"), this);
    Button1->setGeometry(376, 104, 75, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });
    neHmotnost = makeNumberEdit(this, {237, 54, 121, 21}, "1", vtFloat, 1.0L);
    neSirka = makeNumberEdit(this, {237, 82, 121, 21}, "10", vtFloat, 10.0L);
    nePocetMaxim = makeNumberEdit(this, {237, 109, 121, 21}, "3", vtInteger, 3.0L);
    neRychlost = makeNumberEdit(this, {237, 141, 121, 21}, "300", vtInteger, 300.0L);
    cbAutomat = new QCheckBox(QString::fromUtf8("Automatické určení rychlosti"), this);
    cbAutomat->setGeometry(192, 32, 169, 17);
    cbAutomat->setChecked(true);
    connect(cbAutomat, &QCheckBox::toggled, this, [this] { cbAutomatClick(cbAutomat); });
    tbZoom = new QSlider(Qt::Horizontal, this);
    tbZoom->setGeometry(232, 192, 129, 45);
    tbZoom->setRange(1, 100);
    tbZoom->setValue(100);
    tbZoom->setTickPosition(QSlider::TicksBelow);
    tbZoom->setTickInterval(25);
    tbZoom->setPageStep(2);
    connect(tbZoom, &QSlider::valueChanged, this, [this] { tbZoomChange(tbZoom); });

    // Like child windows, these paint their whole rectangle, so rays pass under them.
    for (QWidget* w : std::initializer_list<QWidget*>{Button1, neHmotnost, neSirka, nePocetMaxim,
                                                      neRychlost, cbAutomat, tbZoom})
        w->setAutoFillBackground(true);

    setTabOrder(Button1, neHmotnost);
    setTabOrder(neHmotnost, neSirka);
    setTabOrder(neSirka, nePocetMaxim);
    setTabOrder(nePocetMaxim, neRychlost);
    setTabOrder(neRychlost, cbAutomat);
    setTabOrder(cbAutomat, tbZoom);

    // Names for assistive technology, the pace keys, and the menu for the lesson's data.
    makeWindowAccessible(*this);
    new LessonExport(this);

    // A native window now, so that the platform's frame margins can be read.
    create();
    FFrameFit = new OuterFrameFit(this, QSize(outerWidth, storedOuterHeight));
    FFrameFit->fit();
    FormCreate(this);
}

TForm1::~TForm1() = default;

int TForm1::outerHeight() const {
    // The client height is current even before the native window has caught up with it.
    return FFrameFit->outerHeight();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FCanvas->resizeToWindow();
    FormResize(this);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program, also from inside a run.
    if (TApplication* app = application()) app->terminate();
    event->accept();
}

void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LocaleChange) takeDecimalSeparatorFromLocale();
    QWidget::changeEvent(event);
}

void TForm1::FormCreate(QObject*) {
    FRunning = false;
    cbAutomatClick(this);
    FPace = 5;
    FZoomDivisor = 1;
}

void TForm1::FormResize(QObject*) {
    const int H2 = outerHeight() / 2;
    FCanvas->invalidate();
    Shape1->resize(Shape1->width(), H2 - 10);
    Shape2->move(Shape2->x(), H2 + 6);
    Shape2->resize(Shape2->width(), H2 - 80);
}

void TForm1::FormPaint(QObject*) {}

void TForm1::cbAutomatClick(QObject*) {
    const bool automatic = cbAutomat->isChecked();
    neRychlost->setReadOnly(automatic);
    neRychlost->setEnabled(!automatic);
    nePocetMaxim->setEnabled(automatic);
}

void TForm1::QuarnSpinButton1BottomClick(QObject*) {
    if (FPace < INT32_MAX) ++FPace;
}

void TForm1::QuarnSpinButton1TopClick(QObject*) {
    --FPace;
    if (FPace < 0) FPace = 0;
}

void TForm1::tbZoomChange(QObject*) {
    FCanvas->invalidate();
    FZoomDivisor = 100 - tbZoom->value();
    if (FZoomDivisor <= 0) FZoomDivisor = 1;
}

void TForm1::Button1Click(QObject*) {
    if (FRunning) {
        FRunning = false;
        Button1->setText(QStringLiteral("Start!"));
    } else {
        FCanvas->invalidate();
        RunRecord.startCounting();
        FRunning = true;
        Button1->setText(QStringLiteral("Stop!"));
        RunSimulation();
    }
    tbZoom->setValue(100);
}

std::vector<std::string> TForm1::BuildPatternTable() {
    const bool automatic = cbAutomat->isChecked();
    // The fields in the order the arithmetic reads them; the speed only when it is typed.
    RunRecord.takeInputs({neHmotnost->Value(), neSirka->Value(), nePocetMaxim->AsInteger(),
                          automatic, automatic ? Extended(0) : neRychlost->Value()});
    // The field shows the speed the run uses before the run goes on, also when it then fails.
    if (automatic) neRychlost->SetValue(Speed);
    RunRecord.takeMomentum();
    return RunRecord.cumulativeTable();
}

void TForm1::RunSimulation() {
    const std::vector<std::string> CumulativeTable = BuildPatternTable();
    EmitParticles(CumulativeTable);
}

void TForm1::drawRay(const QColor& color) {
    const int H2 = outerHeight() / 2;
    FCanvas->setPenColor(color);
    FCanvas->moveTo(100, H2);
    FCanvas->lineTo(500, H2 + Side * Bin * 5);
}

void TForm1::showParticleCount() {
    if (!FCounterLags) return;
    FCounterLags = false;
    setLabelCaption(Label1, QString::fromStdString(NumberToText(FCounterValue)));
}

void TForm1::EmitParticles(const std::vector<std::string>& CumulativeTable) {
    SeedRandom();
    if (AfterSeedRandom) AfterSeedRandom();
    RunRecord.particles = 0;
    // The table never changes during the run and a parse always gives the same value, so
    // each entry is parsed once rather than up to 99 times per particle.
    const PatternDraws& draws = FPatternDraws.emplace(CumulativeTable);
    const std::int32_t n = draws.count;
    TApplication* app = application();
    // While particles fly, the window reaches the screen at the display's pace.
    struct Pacing {
        WindowCanvas& canvas;
        explicit Pacing(WindowCanvas& c) : canvas(c) { canvas.beginPacing(); }
        ~Pacing() { canvas.endPacing(); }
    } pacing(*FCanvas);
    do {
        // The caption is laid out when the screen can show it: at a present, and at the end.
        FCounterValue = RunRecord.particles;
        FCounterLags = true;
        Bin = draws.binOf(PatternDraws::draw(RandomBelow(n)), AngleIndex);
        SideDraw = static_cast<std::int16_t>(RandomBelow(2));
        Side = SideDraw == 0 ? 1 : -1;
        drawRay(Qt::black);
        const std::int64_t h = RunRecord.countHit();
        if (Bin != OutsideTable) {
            const int y = Side * Bin * 5 + outerHeight() / 2;
            // Past the window's width a bar is clipped anyway; keep the corner an int.
            const auto right = std::min<std::int64_t>(h / FZoomDivisor + 500, 1 << 24);
            FCanvas->setPenColor(Qt::black);
            FCanvas->rectangle(501, y, int(right), y + 2);
        }
        // The screen shows each ray through a pause of a frame or more, and the latest one
        // once a frame when the pauses are shorter.
        if (FPace >= FCanvas->frameInterval() || FCanvas->frameDue()) FCanvas->present();
        Sleep(FPace);
        ++RunRecord.particles;
        drawRay(clBtnFace());
        if (app)
            app->processMessages();
        else
            QCoreApplication::processEvents();
        if (AfterParticle) AfterParticle();
    } while (FRunning && !(app && app->terminated()));
    showParticleCount();
}
