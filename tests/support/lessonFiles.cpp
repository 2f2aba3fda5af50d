// Not a test: runs the program's window offscreen from a fixed generator state until the given
// number of particles and saves its CSV file and its workbook, as the context menu does
// (scripts/check-spreadsheet.sh opens them in a spreadsheet).
// Usage: lessonFiles PARTICLES FILE.csv FILE.xlsx
#include "application.h"
#include "decimalSeparator.h"
#include "floatEnv.h"
#include "lessonExport.h"
#include "random.h"
#include "uFKavalun.h"
#include "uQuarnSpinEdit.h"

#include <QPushButton>
#include <QTest>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "Usage: lessonFiles PARTICLES FILE.csv FILE.xlsx\n");
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    InitFloatEnvironment();
    TApplication app(argc, argv);
    app.setApplicationDisplayName(QString::fromUtf8("Ohyb na Kavalun"));
    takeDecimalSeparatorFromLocale();
    TForm1 form;
    form.show();
    const std::int64_t particles = std::atoll(argv[1]);
    form.AfterSeedRandom = [] { RandomState = 20261208; };
    form.AfterParticle = [&] {
        if (form.particleCount() == particles && form.running())
            QTest::mouseClick(form.Button1, Qt::LeftButton);
    };
    while (form.pace() > 0)
        form.QuarnSpinButton1TopClick(form.QuarnSpinButton1);
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    auto* lesson = form.findChild<LessonExport*>();
    const bool saved = lesson->saveCsv(QString::fromLocal8Bit(argv[2])) &&
                       lesson->saveWorkbook(QString::fromLocal8Bit(argv[3]));
    return saved ? 0 : 1;
}
