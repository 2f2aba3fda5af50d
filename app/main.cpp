#include "application.h"
#include "decimalSeparator.h"
#include "floatEnv.h"
#include "uFKavalun.h"

int main(int argc, char** argv) {
    InitFloatEnvironment();
    TApplication app(argc, argv);
    app.setApplicationDisplayName(QString::fromUtf8("Ohyb na Kavalun"));
    takeDecimalSeparatorFromLocale();
    TForm1 Form1;
    Form1.show();
    return app.exec();
}
