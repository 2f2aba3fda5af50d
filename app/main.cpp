#include "application.h"
#include "decimalSeparator.h"
#include "floatEnv.h"
#include "projectorSize.h"
#include "qtTranslations.h"
#include "sessionSettings.h"
#include "uFKavalun.h"

#include <cstdio>

int main(int argc, char** argv) {
    InitFloatEnvironment();
    // Qt takes its scale factor when the application object is made.
    if (const std::string problem = takeSizeOption(argc, argv); !problem.empty()) {
        std::fprintf(stderr, "kavalun: %s\n", problem.c_str());
        return 2;
    }
    TApplication app(argc, argv);
    app.setApplicationDisplayName(QString::fromUtf8("Ohyb na Kavalun"));
    // Lets a Wayland compositor find the installed desktop entry, and so the icon.
    app.setDesktopFileName(QStringLiteral("io.github.kavalun.OhybNaKavalun"));
    // The window's own captions are Czech whatever the locale; Qt's dialogs follow it.
    installQtTranslations();
    keepToolkitSettingsInSession();
    takeDecimalSeparatorFromLocale();
    TForm1 Form1;
    Form1.show();
    return app.exec();
}
