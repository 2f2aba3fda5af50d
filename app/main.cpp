#include "application.h"
#include "decimalSeparator.h"
#include "floatEnv.h"
#include "uFKavalun.h"

int main(int argc, char** argv) {
    InitFloatEnvironment();
    TApplication app(argc, argv);
    app.setApplicationDisplayName(QString::fromUtf8("Ohyb na Kavalun"));
    // Lets a Wayland compositor find the installed desktop entry, and so the icon.
    app.setDesktopFileName(QStringLiteral("io.github.kavalun.OhybNaKavalun"));
    takeDecimalSeparatorFromLocale();
    TForm1 Form1;
    Form1.show();
    return app.exec();
}
