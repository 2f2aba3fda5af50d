#include "scratchFolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

const QString namePattern = QStringLiteral("kavalun-??????");
const QString lockName = QStringLiteral("lock");

// Only what a session keeps in its folder: Qt's settings file (with its own lock and
// temporary files) and the session's lock.
bool holdsOnlySessionFiles(const QDir& folder) {
    const QStringList entries =
        folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QString& name : entries)
        if (name != lockName && name != lockName + QStringLiteral(".rmlock") &&
            !name.startsWith(QStringLiteral("QtProject.conf")))
            return false;
    return true;
}

// Folders of runs that have ended without removing theirs. A live run holds its lock; a folder
// without one (a run that starts now and has not locked it yet, or an older version of the
// program, which took no lock) is left for an hour.
void removeFoldersOfEndedRuns() {
    const QDir temporary(QDir::tempPath());
    const QFileInfoList candidates = temporary.entryInfoList(
        {namePattern}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Hidden);
    for (const QFileInfo& candidate : candidates) {
#ifdef Q_OS_UNIX
        if (candidate.ownerId() != ::getuid()) continue;
#endif
        QDir folder(candidate.absoluteFilePath());
        if (!holdsOnlySessionFiles(folder)) continue;
        QLockFile lock(folder.filePath(lockName));
        lock.setStaleLockTime(0); // a live owner's lock never ages
        if (QFileInfo::exists(folder.filePath(lockName))) {
            if (!lock.tryLock(0)) continue; // its run goes on
        } else if (candidate.lastModified().secsTo(QDateTime::currentDateTime()) < 3600) {
            continue;
        }
        // The lock goes last, removed by its holder (it warns when it finds it gone).
        for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
            if (name != lockName) folder.remove(name);
        lock.unlock();
        temporary.rmdir(candidate.fileName());
    }
}

struct Session {
    Session() {
        removeFoldersOfEndedRuns();
        if (folder.isValid() && !lock.tryLock(0)) folder.remove();
    }
    // Members go in reverse: the lock first, then the folder.
    QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/kavalun-XXXXXX")};
    QLockFile lock{folder.filePath(lockName)};
};

Session& session() {
    static Session own;
    return own;
}

#ifdef Q_OS_UNIX
int signalPipe[2] = {-1, -1};

void noteSignal(int number) {
    const char byte = char(number);
    if (::write(signalPipe[1], &byte, 1) < 0) {
        // The pipe is full: a signal is on its way already.
    }
}

// The handler only writes to a pipe; the folder is removed from the event loop, and then the
// signal is raised again with its default action, so the program ends as it would have.
void removeFolderOnSignals() {
    auto* app = QCoreApplication::instance();
    if (!app || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [] {
        char number = 0;
        if (::read(signalPipe[0], &number, 1) != 1) return;
        session().lock.unlock();
        session().folder.remove();
        std::signal(number, SIG_DFL);
        std::raise(number);
    });
    for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
        struct sigaction action = {};
        // One that was ignored when the program started (nohup) stays ignored.
        if (sigaction(number, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) continue;
        action.sa_handler = noteSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(number, &action, nullptr);
    }
}
#endif

} // namespace

QString sessionScratchFolder() {
    static const QString path = [] {
        Session& own = session();
        if (!own.folder.isValid() || !own.lock.isLocked()) return QString();
#ifdef Q_OS_UNIX
        removeFolderOnSignals();
#endif
        return own.folder.path();
    }();
    return path;
}
