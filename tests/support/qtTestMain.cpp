#include "application.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // Headless unless a test run asks for a real display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    TApplication app(argc, argv);
    app.setApplicationDisplayName("Ohyb na Kavalun");
    return RUN_ALL_TESTS();
}
