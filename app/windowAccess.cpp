#include "windowAccess.h"

#include "accessNotice.h"
#include "spinAccessible.h"
#include "uFKavalun.h"
#include "uNumberEdit.h"
#include "uQuarnSpinEdit.h"

#include <QAccessibleWidget>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QTimer>

namespace {

// A label's caption without the trailing colon and spaces that only the layout needs.
QString nameFrom(const QLabel* label) {
    QString text = label->text().trimmed();
    if (text.endsWith(QLatin1Char(':'))) text.chop(1);
    return text.trimmed();
}

// Stands in for the toolkit's own interface, which an active screen reader may already
// have asked for while the control was made.
void replaceInterface(QAccessibleInterface* fresh) {
    if (QAccessibleInterface* plain = QAccessible::queryAccessibleInterface(fresh->object()))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(plain));
    QAccessible::registerAccessibleInterface(fresh);
}

// The main window as a frame, without the children that only draw (the barrier, the
// screen and the layer of rays), which would be unnamed stops for a screen reader.
class FrameAccessible : public QAccessibleWidget {
public:
    explicit FrameAccessible(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}

    int childCount() const override { return shownChildren().size(); }
    QAccessibleInterface* child(int index) const override { return shownChildren().value(index); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return shownChildren().indexOf(const_cast<QAccessibleInterface*>(child));
    }

private:
    QList<QAccessibleInterface*> shownChildren() const {
        QList<QAccessibleInterface*> shown;
        for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
            QAccessibleInterface* c = QAccessibleWidget::child(i);
            if (c && !(c->role() == QAccessible::Client && c->text(QAccessible::Name).isEmpty()))
                shown.append(c);
        }
        return shown;
    }
};

// The particle count as a read-only text, always the label's caption as the screen shows it.
class CounterAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit CounterAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::StatusBar) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return caption();
        return QAccessibleWidget::text(t);
    }

    QString text(int startOffset, int endOffset) const override {
        return caption().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(caption().size()); }
    QRect characterRect(int offset) const override {
        const QLabel* label = static_cast<QLabel*>(widget());
        const QString shown = caption();
        if (offset < 0 || offset >= shown.size()) return {};
        const QFontMetrics metrics(label->font());
        const QRect text = label->contentsRect();
        const QRect box(text.left() + metrics.horizontalAdvance(shown.left(offset)),
                        text.top() + (text.height() - metrics.height()) / 2,
                        metrics.horizontalAdvance(shown.at(offset)), metrics.height());
        return QRect(label->mapToGlobal(box.topLeft()), box.size());
    }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void selection(int, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    QString caption() const { return static_cast<QLabel*>(widget())->text(); }
};

// Tells a screen reader of the count as the screen shows it: seen at the counter's paints
// (and the button's, whose caption tells that a run ended), at most once a second during a
// run, and at once when the run has ended. A run changes it thousands of times a second.
class CounterAnnouncer : public QObject {
public:
    explicit CounterAnnouncer(TForm1& window)
        : QObject(&window), FWindow(window), FAnnounced(window.Label1->text()) {
        FPending.setSingleShot(true);
        // A coarse timer may fire a twentieth early.
        FPending.setTimerType(Qt::PreciseTimer);
        connect(&FPending, &QTimer::timeout, this, [this] { announce(); });
        window.Label1->installEventFilter(this);
        window.Button1->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) seen();
        return false;
    }

private:
    static constexpr int interval = 1000; // ms

    void seen() {
        if (FWindow.Label1->text() == FAnnounced) return;
        // At a run's end the button and the counter repaint together: one word for both.
        const int wait = !FWindow.running() ? 0
                         : FSinceAnnounced.isValid()
                             ? int(std::max<qint64>(0, interval - FSinceAnnounced.elapsed()))
                             : 0;
        if (!FPending.isActive() || FPending.remainingTime() > wait) FPending.start(wait);
    }

    void announce() {
        const QString shown = FWindow.Label1->text();
        if (shown == FAnnounced) return;
        FSinceAnnounced.start();
        QAccessibleTextUpdateEvent event(FWindow.Label1, 0, FAnnounced, shown);
        notifyAccessibility(event);
        FAnnounced = shown;
    }

    TForm1& FWindow;
    QString FAnnounced;
    QElapsedTimer FSinceAnnounced;
    QTimer FPending;
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

// The pace as the spin button's value; a screen reader hears each change.
void exposePace(TForm1& window) {
    TQuarnSpinButton* spin = window.QuarnSpinButton1;
    setSpinButtonValue(
        spin, [&window] { return int(window.pace()); }, shBottom);
    const auto telling = [&window, spin](TNotifyEvent handler) -> TNotifyEvent {
        return [&window, spin, handler](QObject* sender) {
            const auto before = window.pace();
            if (handler) handler(sender);
            if (window.pace() != before) spinValueChanged(spin);
        };
    };
    spin->SetOnTopClick(telling(spin->OnTopClick()));
    spin->SetOnBottomClick(telling(spin->OnBottomClick()));
}

} // namespace

void makeWindowAccessible(TForm1& window) {
    installSpinButtonAccessibility();
    replaceInterface(new FrameAccessible(&window));

    window.neHmotnost->setAccessibleName(nameFrom(window.Label2) + QLatin1Char(' ') +
                                         nameFrom(window.Label9));
    window.neSirka->setAccessibleName(nameFrom(window.Label3));
    window.nePocetMaxim->setAccessibleName(nameFrom(window.Label4));
    window.neRychlost->setAccessibleName(nameFrom(window.Label5));
    window.QuarnSpinButton1->setAccessibleName(nameFrom(window.Label6));
    window.QuarnSpinButton1->setAccessibleDescription(
        QString::fromUtf8("Pauza mezi částicemi v milisekundách. Horní polovina ji zkracuje, "
                          "dolní prodlužuje (také Ctrl+šipka nahoru a Ctrl+šipka dolů)."));
    window.tbZoom->setAccessibleName(nameFrom(window.Label7));
    window.Label1->setAccessibleName(nameFrom(window.Label8));
    // Each label is read as the name of its field, not once more on its own. The captions
    // hold no '&', so no mnemonic key comes with it.
    const std::pair<QLabel*, QWidget*> named[] = {
        {window.Label2, window.neHmotnost}, {window.Label9, window.neHmotnost},
        {window.Label3, window.neSirka},    {window.Label4, window.nePocetMaxim},
        {window.Label5, window.neRychlost}, {window.Label6, window.QuarnSpinButton1},
        {window.Label7, window.tbZoom},     {window.Label8, window.Label1},
    };
    for (const auto& [label, field] : named)
        label->setBuddy(field);
    replaceInterface(new CounterAccessible(window.Label1));
    new CounterAnnouncer(window);
    exposePace(window);

    bindPaceKey(window, Qt::CTRL | Qt::Key_Up, shTop);
    bindPaceKey(window, Qt::CTRL | Qt::Key_Down, shBottom);
}
