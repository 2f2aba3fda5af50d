#include "spinAccessible.h"

#include "accessNotice.h"

#include <QAccessibleWidget>

#include <limits>

namespace {

// Where a button's value comes from; a child of the button, so it goes with it.
class SpinValueSource : public QObject {
public:
    SpinValueSource(TQuarnSpinButton* button, std::function<int()> current, TSpinHalf raises)
        : QObject(button), current(std::move(current)), raises(raises) {}
    const std::function<int()> current;
    const TSpinHalf raises;
};

SpinValueSource* valueSourceOf(const QWidget* button) {
    for (QObject* child : button->children())
        if (auto* source = dynamic_cast<SpinValueSource*>(child)) return source;
    return nullptr;
}

class SpinButtonAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SpinButtonAccessible(TQuarnSpinButton* button)
        : QAccessibleWidget(button, QAccessible::SpinBox) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface && source())
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // Qt's bridge to the screen reader passes on these names as they are, never a
    // translation of them, so they are Czech themselves.
    QStringList actionNames() const override { return {spinRaiseAction(), spinLowerAction()}; }

    QString localizedActionDescription(const QString& name) const override {
        if (name == spinRaiseAction())
            return QString::fromUtf8("Totéž co klepnutí na horní polovinu tlačítka");
        if (name == spinLowerAction())
            return QString::fromUtf8("Totéž co klepnutí na dolní polovinu tlačítka");
        return QAccessibleWidget::localizedActionDescription(name);
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    void doAction(const QString& name) override {
        if (name == spinRaiseAction())
            button()->Click(shTop);
        else if (name == spinLowerAction())
            button()->Click(shBottom);
    }

    QVariant currentValue() const override {
        const SpinValueSource* s = source();
        return s ? QVariant(s->current()) : QVariant();
    }
    // The halves are the only way to change the value: one step toward the one asked for.
    void setCurrentValue(const QVariant& value) override {
        const SpinValueSource* s = source();
        if (!s) return;
        const double wanted = value.toDouble();
        const int now = s->current();
        const TSpinHalf lowers = s->raises == shTop ? shBottom : shTop;
        if (wanted > now)
            button()->Click(s->raises);
        else if (wanted < now)
            button()->Click(lowers);
    }
    QVariant maximumValue() const override { return std::numeric_limits<int>::max(); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    TQuarnSpinButton* button() const { return static_cast<TQuarnSpinButton*>(widget()); }
    SpinValueSource* source() const { return widget() ? valueSourceOf(widget()) : nullptr; }
};

QAccessibleInterface* spinButtonFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("TQuarnSpinButton"))
        if (auto* button = qobject_cast<TQuarnSpinButton*>(object))
            return new SpinButtonAccessible(button);
    return nullptr;
}

} // namespace

void installSpinButtonAccessibility() {
    QAccessible::installFactory(spinButtonFactory);
}

QString spinRaiseAction() {
    return QString::fromUtf8("Zvýšit");
}

QString spinLowerAction() {
    return QString::fromUtf8("Snížit");
}

void setSpinButtonValue(TQuarnSpinButton* button, std::function<int()> current, TSpinHalf raises) {
    delete valueSourceOf(button);
    new SpinValueSource(button, std::move(current), raises);
}

void spinValueChanged(TQuarnSpinButton* button) {
    const SpinValueSource* s = valueSourceOf(button);
    if (!s) return;
    QAccessibleValueChangeEvent event(button, s->current());
    notifyAccessibility(event);
}
