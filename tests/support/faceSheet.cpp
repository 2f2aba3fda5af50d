// Renders every face of every look of the spin button, enlarged, into one contact sheet:
//   faceSheet OUTPUT.png
#include "application.h"
#include "uQuarnSpinEdit.h"

#include <QPainter>
#include <QStyleFactory>

#include <cstdio>
#include <iterator>
#include <utility>

namespace {
struct Look {
    const char* name;
    TSpinButtonStyle buttonStyle;
    const char* qtStyle; // "Windows" turns the platform's visual styles off
};

const Look looks[] = {
    {"classic diagonal", sbsDefault, "Windows"},
    {"classic stacked", sbsClassic, "Windows"},
    {"themed stacked", sbsClassic, "Fusion"},
    {"themed diagonal", sbsDefault, "Fusion"},
};
const QSize sizes[] = {{20, 20}, {40, 24}};
const std::pair<TSpinFace, const char*> faces[] = {
    {TSpinFace::Normal, "normal"},
    {TSpinFace::TopPressed, "top pressed"},
    {TSpinFace::BottomPressed, "bottom pressed"},
    {TSpinFace::TopHot, "top hot"},
    {TSpinFace::BottomHot, "bottom hot"},
};

constexpr int zoom = 8, gap = 16, captionWidth = 150, headerHeight = 30;
const int cellWidth = sizes[1].width() * zoom + gap; // room for the widest size
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    TApplication app(argc, argv);

    int height = headerHeight;
    for (const QSize& s : sizes)
        height += int(std::size(looks)) * (s.height() * zoom + gap);
    QImage sheet(captionWidth + int(std::size(faces)) * cellWidth, height, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    QFont font = p.font();
    font.setPixelSize(13);
    p.setFont(font);
    for (size_t i = 0; i < std::size(faces); ++i)
        p.drawText(QRect(captionWidth + int(i) * cellWidth, 0, cellWidth - gap, headerHeight),
                   Qt::AlignCenter, faces[i].second);

    int y = headerHeight;
    for (const Look& look : looks) {
        QApplication::setStyle(QStyleFactory::create(look.qtStyle));
        for (const QSize& size : sizes) {
            // A fresh control per row, so a classic row never shows hot faces left over
            // from a themed build.
            TQuarnSpinButton spin;
            spin.SetButtonStyle(look.buttonStyle);
            spin.resize(size);
            spin.grab(); // a paint builds the faces
            const QSize big = size * zoom;
            p.drawText(QRect(4, y, captionWidth - 8, big.height()),
                       Qt::AlignVCenter | Qt::TextWordWrap,
                       QString("%1\n%2 x %3").arg(look.name).arg(size.width()).arg(size.height()));
            for (size_t i = 0; i < std::size(faces); ++i) {
                const QRect cell(QPoint(captionWidth + int(i) * cellWidth, y), big);
                const QImage& face = spin.Face(faces[i].first);
                if (face.isNull()) {
                    p.fillRect(cell, QBrush(Qt::gray, Qt::BDiagPattern));
                    p.drawText(cell, Qt::AlignCenter, "empty");
                } else {
                    p.drawImage(cell.topLeft(),
                                face.scaled(big, Qt::IgnoreAspectRatio, Qt::FastTransformation));
                }
                p.setPen(Qt::red); // outside the face, so no pixel of it is hidden
                p.drawRect(cell.adjusted(-1, -1, 0, 0));
                p.setPen(Qt::black);
            }
            y += big.height() + gap;
        }
    }
    p.end();
    if (!sheet.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
