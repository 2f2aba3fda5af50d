#include "nativeSettings.h"

#include <QCoreApplication>
#include <QSettings>
#include <QVariantMap>

namespace {

const QString software = QStringLiteral("HKEY_CURRENT_USER\\Software");
const QString organization = QStringLiteral("QtProject");
const QString fileDialog = QStringLiteral("FileDialog");

// Other Qt programs share the organization's key: only what this one changed is put back.
struct Found {
    bool organization = false;
    QVariantMap fileDialog;
};

Found& found() {
    static Found own;
    return own;
}

void putBack() {
    if (!found().organization) {
        QSettings(software, QSettings::NativeFormat).remove(organization);
        return;
    }
    QSettings qt(QSettings::NativeFormat, QSettings::UserScope, organization);
    qt.remove(fileDialog);
    qt.beginGroup(fileDialog);
    for (auto value = found().fileDialog.cbegin(); value != found().fileDialog.cend(); ++value)
        qt.setValue(value.key(), value.value());
}

} // namespace

void restoreNativeSettingsAtExit() {
    found().organization =
        QSettings(software, QSettings::NativeFormat).childGroups().contains(organization);
    if (found().organization) {
        QSettings qt(QSettings::NativeFormat, QSettings::UserScope, organization);
        qt.beginGroup(fileDialog);
        for (const QString& key : qt.allKeys())
            found().fileDialog.insert(key, qt.value(key));
    }
    qAddPostRoutine(putBack);
}
