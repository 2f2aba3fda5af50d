#include "sessionSettings.h"

#include <QSettings>
#include <QTemporaryDir>

void keepToolkitSettingsInSession() {
    static QTemporaryDir session;
    // Without a scratch folder, a path under a file: every write fails and nothing is kept.
    const QString folder = session.isValid() ? session.path() : QStringLiteral("/dev/null/kavalun");
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, folder);
}
