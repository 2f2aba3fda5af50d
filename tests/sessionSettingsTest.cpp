#include "sessionSettings.h"

#include "scratchFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <csignal>
#endif
#include <iostream>

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

// Signals are POSIX's: Windows ends a program without one.
#ifdef Q_OS_UNIX
// A second run of this program, up to its session folder.
struct Session {
    Session() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("KAVALUN_SESSION_RUN", "1");
        environment.insert("XDG_RUNTIME_DIR", runtime.path()); // else Qt warns of its own
        process.setProcessEnvironment(environment);
        process.start(QCoreApplication::applicationFilePath(),
                      {"--gtest_filter=SessionSettings.FolderGoes*"});
        while (folder.isEmpty() && process.waitForReadyRead(60000))
            while (process.canReadLine()) {
                const QString line = QString::fromUtf8(process.readLine()).trimmed();
                if (line.startsWith("session folder ")) folder = line.mid(15);
            }
    }
    // Ended by the signal, having printed no warning.
    bool endsBy(int number) {
        kill(pid_t(process.processId()), number);
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::CrashExit &&
               process.readAllStandardError().isEmpty();
    }
    QTemporaryDir runtime;
    QProcess process;
    QString folder;
};

TEST(SessionSettings, FolderGoesWhenASignalEndsTheProgramOrAtTheNextStart) {
    if (qEnvironmentVariableIsSet("KAVALUN_SESSION_RUN")) {
        keepToolkitSettingsInSession();
        QSettings(QSettings::UserScope, "QtProject").setValue("visited", "/tmp");
        std::cout << "session folder " << sessionScratchFolder().toStdString() << std::endl;
        QEventLoop().exec(); // until a signal ends the run
        return;
    }
    Session running, killed;
    ASSERT_FALSE(running.folder.isEmpty());
    ASSERT_TRUE(QFileInfo::exists(killed.folder + "/QtProject.conf"));
    EXPECT_TRUE(killed.endsBy(SIGKILL));
    EXPECT_TRUE(QFileInfo::exists(killed.folder)) << "nothing could remove it";
    for (const int number : {SIGTERM, SIGHUP}) {
        Session run;
        ASSERT_TRUE(QFileInfo::exists(run.folder + "/QtProject.conf"));
        EXPECT_FALSE(QFileInfo::exists(killed.folder)) << "removed by the next start";
        EXPECT_TRUE(QFileInfo::exists(running.folder)) << "a running program keeps its own";
        EXPECT_TRUE(run.endsBy(number)) << number;
        EXPECT_FALSE(QFileInfo::exists(run.folder)) << number;
    }
    EXPECT_TRUE(running.endsBy(SIGTERM));
    EXPECT_FALSE(QFileInfo::exists(running.folder));
}

#endif

} // namespace
