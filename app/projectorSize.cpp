#include "projectorSize.h"

#include "application.h"
#include "errors.h"
#include "uFKavalun.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QProcess>

#include <charconv>
#include <cstring>

namespace {

constexpr char sizeOption[] = "--velikost=";

int& startedAt() {
    static int percent = 100;
    return percent;
}

// QT_SCALE_FACTOR as the process found it, which a restart hands on unchanged.
QByteArray& systemScaleFactor() {
    static QByteArray factor;
    return factor;
}

StartProgram& startSeam() {
    static StartProgram start;
    return start;
}

AskToGoOn& askSeam() {
    static AskToGoOn ask;
    return ask;
}

} // namespace

std::string takeSizeOption(int& argc, char** argv) {
    systemScaleFactor() = qgetenv("QT_SCALE_FACTOR");
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], sizeOption, std::strlen(sizeOption)) != 0) continue;
        const char* text = argv[i] + std::strlen(sizeOption);
        const char* end = text + std::strlen(text);
        int percent = 0;
        const auto [stop, error] = std::from_chars(text, end, percent);
        if (error != std::errc() || stop != end || percent < 100 || percent > 300)
            return "neplatná velikost okna „" + std::string(text) +
                   "“: zadejte celé procento od 100 do 300, například --velikost=150.";
        std::memmove(argv + i, argv + i + 1, sizeof(char*) * std::size_t(argc - i));
        --argc;
        --i;
        startedAt() = percent;
    }
    if (startedAt() != 100) {
        bool valid = false;
        double factor = systemScaleFactor().toDouble(&valid);
        if (!valid || !(factor > 0)) factor = 1;
        qputenv("QT_SCALE_FACTOR", QByteArray::number(factor * startedAt() / 100, 'g', 6));
    }
    return {};
}

int currentSizePercent() {
    return startedAt();
}

bool restartAtSize(TForm1& window, int percent) {
    if (percent == currentSizePercent()) return false;
    if (window.running() || window.particleCount() > 0) {
        const QString text =
            QString::fromUtf8("Běh se ukončí a nakreslený histogram se ztratí: program se "
                              "spustí znovu ve velikosti %1 %. Data, která chcete zachovat, "
                              "nejprve uložte.\n\nSpustit program znovu?")
                .arg(percent);
        const bool goOn =
            askSeam() ? askSeam()(text)
                      : QMessageBox::question(&window, QGuiApplication::applicationDisplayName(),
                                              text, QMessageBox::Yes | QMessageBox::No,
                                              QMessageBox::No) == QMessageBox::Yes;
        if (!goOn) return false;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (systemScaleFactor().isNull())
        environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
    else
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"),
                           QString::fromLocal8Bit(systemScaleFactor()));
    QStringList arguments;
    if (percent != 100) arguments << QString::fromLatin1(sizeOption) + QString::number(percent);
    const QString program = QCoreApplication::applicationFilePath();
    bool started = false;
    if (startSeam()) {
        started = startSeam()(program, arguments, environment);
    } else {
        QProcess process;
        process.setProgram(program);
        process.setArguments(arguments);
        process.setProcessEnvironment(environment);
        started = process.startDetached();
    }
    if (!started) {
        if (TApplication* app = application())
            app->handleException(Exception(
                QString::fromUtf8("Program se nepodařilo spustit znovu ve velikosti %1 %; "
                                  "zůstává v dosavadní velikosti")
                    .arg(percent)
                    .toStdString()));
        return false;
    }
    window.close();
    return true;
}

void setStartProgram(StartProgram start) {
    startSeam() = std::move(start);
}

void setAskToGoOn(AskToGoOn ask) {
    askSeam() = std::move(ask);
}
