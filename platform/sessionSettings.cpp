#include "sessionSettings.h"

#include "scratchFolder.h"

#include <QProcess>
#include <QSettings>

void keepToolkitSettingsInSession() {
    const QString session = sessionScratchFolder();
    // Without a scratch folder, a path under a file: every write fails and nothing is kept.
    const QString folder =
        !session.isEmpty() ? session : QProcess::nullDevice() + QStringLiteral("/kavalun");
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, folder);
    // On Windows the native format is the registry, which no path moves: Qt's own settings
    // (the file dialog's) take the default format, so make that a file in the folder.
    QSettings::setDefaultFormat(QSettings::IniFormat);
}
