#include "spinAccessible.h"

#include "uQuarnSpinEdit.h"

#include <QAccessibleWidget>

namespace {

class SpinButtonAccessible : public QAccessibleWidget {
public:
    explicit SpinButtonAccessible(TQuarnSpinButton* button)
        : QAccessibleWidget(button, QAccessible::SpinBox) {}

    QStringList actionNames() const override { return {increaseAction(), decreaseAction()}; }

    QString localizedActionName(const QString& name) const override {
        if (name == increaseAction()) return QString::fromUtf8("Zvýšit");
        if (name == decreaseAction()) return QString::fromUtf8("Snížit");
        return QAccessibleWidget::localizedActionName(name);
    }

    QString localizedActionDescription(const QString& name) const override {
        if (name == increaseAction())
            return QString::fromUtf8("Totéž co klepnutí na horní polovinu tlačítka");
        if (name == decreaseAction())
            return QString::fromUtf8("Totéž co klepnutí na dolní polovinu tlačítka");
        return QAccessibleWidget::localizedActionDescription(name);
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    void doAction(const QString& name) override {
        auto* button = static_cast<TQuarnSpinButton*>(widget());
        if (name == increaseAction())
            button->Click(shTop);
        else if (name == decreaseAction())
            button->Click(shBottom);
    }
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
