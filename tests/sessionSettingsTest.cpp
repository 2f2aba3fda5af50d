#include "sessionSettings.h"

#include <QDir>
#include <QFileDialog>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(SessionSettings, FileDialogLeavesNothingInTheUsersConfiguration) {
    // Before Qt first reads where the user's configuration lies.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    keepToolkitSettingsInSession();
    {
        QFileDialog dialog(nullptr, QStringLiteral("Uložit"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.selectFile(home.filePath(QStringLiteral("histogram.csv")));
        QTimer::singleShot(0, &dialog, [&dialog] { QMetaObject::invokeMethod(&dialog, "accept"); });
        dialog.exec();
    }
    EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    const QString kept = QSettings(QSettings::UserScope, QStringLiteral("QtProject")).fileName();
    EXPECT_FALSE(kept.startsWith(home.path())) << kept.toStdString();
}

} // namespace
