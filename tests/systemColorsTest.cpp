#include "systemColors.h"

#include <QApplication>
#include <QPalette>

#include <gtest/gtest.h>

namespace {

// Each classic colour reads its own palette role (the window frame is always black).
TEST(SystemColors, EachColourReadsItsPaletteRole) {
    const QPalette saved = QApplication::palette();
    QPalette p = saved;
    const std::pair<QPalette::ColorRole, QRgb> roles[] = {
        {QPalette::Button, 0xFF010101u},     {QPalette::Midlight, 0xFF020202u},
        {QPalette::Light, 0xFF030303u},      {QPalette::Dark, 0xFF040404u},
        {QPalette::Shadow, 0xFF050505u},     {QPalette::WindowText, 0xFF060606u},
        {QPalette::Mid, 0xFF070707u},        {QPalette::Window, 0xFF080808u},
        {QPalette::ButtonText, 0xFF090909u}, {QPalette::Base, 0xFF0A0A0Au}};
    for (const auto& [role, rgb] : roles)
        p.setColor(role, QColor::fromRgb(rgb));
    QApplication::setPalette(p);
    const std::pair<QColor (*)(), QRgb> cases[] = {
        {clBtnFace, 0xFF010101u},    {cl3DLight, 0xFF020202u},    {clBtnHighlight, 0xFF030303u},
        {clBtnShadow, 0xFF040404u},  {cl3DDkShadow, 0xFF050505u}, {clWindowText, 0xFF060606u},
        {clWindowFrame, 0xFF000000u}};
    for (const auto& [color, rgb] : cases)
        EXPECT_EQ(color().rgb(), rgb) << std::hex << rgb;
    QApplication::setPalette(saved);
}

} // namespace
