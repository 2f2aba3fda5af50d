#pragma once

#include "systemColors.h"

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QPoint>

#include <string>
#include <utility>
#include <vector>

// System colours made distinct for as long as the object lives, so that every pixel of a
// face or an edge tells which role it was painted with.
class DistinctSystemColors {
public:
    DistinctSystemColors() : FSaved(QApplication::palette()) {
        QPalette p = FSaved;
        p.setColor(QPalette::Button, QColor(200, 200, 200));
        p.setColor(QPalette::Light, QColor(255, 255, 255));
        p.setColor(QPalette::Midlight, QColor(225, 225, 225));
        p.setColor(QPalette::Dark, QColor(128, 128, 128));
        p.setColor(QPalette::Mid, QColor(160, 160, 160));
        p.setColor(QPalette::Shadow, QColor(64, 64, 64));
        QApplication::setPalette(p);
    }
    ~DistinctSystemColors() { QApplication::setPalette(FSaved); }
    DistinctSystemColors(const DistinctSystemColors&) = delete;
    DistinctSystemColors& operator=(const DistinctSystemColors&) = delete;

private:
    QPalette FSaved;
};

// One letter per pixel: button Face, Shadow, Highlight, 3-D Light, Dark shadow, window
// frame (K), or `other` for anything else.
inline std::string colorLetters(const QImage& image, const std::vector<QPoint>& points,
                                char other = '?') {
    const std::pair<char, QColor (*)()> roles[] = {{'F', clBtnFace},      {'S', clBtnShadow},
                                                   {'H', clBtnHighlight}, {'L', cl3DLight},
                                                   {'D', cl3DDkShadow},   {'K', clWindowFrame}};
    std::string found;
    for (QPoint p : points) {
        found += other;
        for (auto [letter, role] : roles)
            if (image.pixel(p) == role().rgb()) found.back() = letter;
    }
    return found;
}
