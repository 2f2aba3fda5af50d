#include "windowAccess.h"

#include "spinAccessible.h"
#include "uFKavalun.h"
#include "uNumberEdit.h"
#include "uQuarnSpinEdit.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QShortcut>
#include <QSlider>

namespace {

// A label's caption without the trailing colon and spaces that only the layout needs.
QString nameFrom(const QLabel* label) {
    QString text = label->text().trimmed();
    if (text.endsWith(QLatin1Char(':'))) text.chop(1);
    return text.trimmed();
}

// The particle count: read by a screen reader when asked, announced at no change (it
// changes thousands of times a second during a run).
class StatusTextAccessible : public QAccessibleWidget {
public:
    explicit StatusTextAccessible(QLabel* label)
        : QAccessibleWidget(label, QAccessible::StatusBar) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return static_cast<QLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

void bindPaceKey(TForm1& window, QKeyCombination key, TSpinHalf half) {
    // A window shortcut comes before the focused control's own keys, so the track bar
    // no longer moves on these; held keys repeat at the keyboard's rate.
    auto* shortcut = new QShortcut(QKeySequence(key), &window);
    shortcut->setContext(Qt::WindowShortcut);
    shortcut->setAutoRepeat(true);
    QObject::connect(shortcut, &QShortcut::activated, &window,
                     [&window, half] { window.QuarnSpinButton1->Click(half); });
}

} // namespace

void makeWindowAccessible(TForm1& window) {
    installSpinButtonAccessibility();

    window.neHmotnost->setAccessibleName(nameFrom(window.Label2) + QLatin1Char(' ') +
                                         nameFrom(window.Label9));
    window.neSirka->setAccessibleName(nameFrom(window.Label3));
    window.nePocetMaxim->setAccessibleName(nameFrom(window.Label4));
    window.neRychlost->setAccessibleName(nameFrom(window.Label5));
    window.QuarnSpinButton1->setAccessibleName(nameFrom(window.Label6));
    window.QuarnSpinButton1->setAccessibleDescription(
        QString::fromUtf8("Horní polovina zkracuje pauzu mezi částicemi, dolní ji prodlužuje "
                          "(také Ctrl+šipka nahoru a Ctrl+šipka dolů)"));
    window.tbZoom->setAccessibleName(nameFrom(window.Label7));
    window.Label1->setAccessibleName(nameFrom(window.Label8));
    // Stands in for the toolkit's plain label, which an active screen reader may already
    // have asked for while the label was made.
    if (QAccessibleInterface* plain = QAccessible::queryAccessibleInterface(window.Label1))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(plain));
    QAccessible::registerAccessibleInterface(new StatusTextAccessible(window.Label1));

    bindPaceKey(window, Qt::CTRL | Qt::Key_Up, shTop);
    bindPaceKey(window, Qt::CTRL | Qt::Key_Down, shBottom);
}
