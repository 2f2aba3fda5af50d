#pragma once

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QPoint>

#include <string>
#include <vector>

// The palette roles that faces and edges are painted with, each given a colour of its own
// and a letter: button Face, button Shadow, button Highlight, 3-D Light, 3-D Dark shadow,
// Mid (the themed edge shadow).
struct DistinctRole {
    char letter;
    QPalette::ColorRole role;
    QRgb rgb;
};
inline constexpr DistinctRole distinctRoles[] = {
    {'F', QPalette::Button, 0xFFC8C8C8u}, {'S', QPalette::Dark, 0xFF808080u},
    {'H', QPalette::Light, 0xFFFFFFFFu},  {'L', QPalette::Midlight, 0xFFE1E1E1u},
    {'D', QPalette::Shadow, 0xFF404040u}, {'M', QPalette::Mid, 0xFFA0A0A0u},
};

// Puts the distinct colours into the application palette for as long as the object lives,
// so that every pixel of a face or an edge tells which role it was painted with.
class DistinctSystemColors {
public:
    DistinctSystemColors() : FSaved(QApplication::palette()) {
        QPalette p = FSaved;
        for (const DistinctRole& r : distinctRoles)
            p.setColor(r.role, QColor::fromRgb(r.rgb));
        QApplication::setPalette(p);
    }
    ~DistinctSystemColors() { QApplication::setPalette(FSaved); }
    DistinctSystemColors(const DistinctSystemColors&) = delete;
    DistinctSystemColors& operator=(const DistinctSystemColors&) = delete;

private:
    QPalette FSaved;
};

// One letter per pixel: a role's letter from the table above, K for black (the window
// frame), or `other` for anything else. The colours are the table's own, not the program's
// colour functions, so a wrong role there shows as a wrong letter.
inline std::string colorLetters(const QImage& image, const std::vector<QPoint>& points,
                                char other = '?') {
    std::string found;
    for (QPoint p : points) {
        const QRgb pixel = image.pixel(p);
        found += pixel == 0xFF000000u ? 'K' : other;
        for (const DistinctRole& r : distinctRoles)
            if (pixel == r.rgb) found.back() = r.letter;
    }
    return found;
}
