#include "visualStyles.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

#include <gtest/gtest.h>

namespace {

TEST(VisualStyles, ActiveUnlessThePlainWindowsStyleIsSet) {
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    EXPECT_TRUE(visualStylesActive());
    QApplication::setStyle(QStyleFactory::create("Windows"));
    EXPECT_FALSE(visualStylesActive());
    // Style objects come and go; the flag follows each new one.
    QApplication::setStyle(QStyleFactory::create("Windows"));
    EXPECT_FALSE(visualStylesActive());
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    EXPECT_TRUE(visualStylesActive());
}

} // namespace
