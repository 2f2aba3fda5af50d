#include "application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Headless unless a test run asks for a real display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    TApplication app(argc, argv);
    app.setApplicationDisplayName("Ohyb na Kavalun");
    return RUN_ALL_TESTS();
}
