#include "sessionSettings.h"

#include "nativeSettings.h"
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
    // The file dialog opens its settings in the native format, on Windows the registry.
    restoreNativeSettingsAtExit();
}
