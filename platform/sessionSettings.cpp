#include "sessionSettings.h"

#include "scratchFolder.h"

#include <QSettings>

void keepToolkitSettingsInSession() {
    const QString session = sessionScratchFolder();
    // Without a scratch folder, a path under a file: every write fails and nothing is kept.
    const QString folder = !session.isEmpty() ? session : QStringLiteral("/dev/null/kavalun");
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, folder);
}
