#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>

class TForm1;

// The window's sizes for a projector, in percent of the size the system gives it.
inline constexpr int projectorSizes[] = {100, 150, 200};

// Takes "--velikost=PERCENT" (100 to 300) off the command line and has Qt scale the whole
// window by it; to be called before the application object exists. Nothing is stored, so the
// next start without it is at the system's scale. An error text (Czech) for a bad value.
std::string takeSizeOption(int& argc, char** argv);
// The size this process was started at.
int currentSizePercent();

// Starts the program anew at `percent` and closes the window; first asks whether a run in
// progress or the histogram drawn may end. False when the window stays (refused, or the start
// failed, which the error box tells).
bool restartAtSize(TForm1& window, int percent);

// Tests watch the start and answer the question; empty functions restore the real ones.
using StartProgram = std::function<bool(const QString& program, const QStringList& arguments,
                                        const QProcessEnvironment& environment)>;
void setStartProgram(StartProgram start);
using AskToGoOn = std::function<bool(const QString& text)>;
void setAskToGoOn(AskToGoOn ask);
