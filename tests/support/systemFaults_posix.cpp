#include "systemFaults.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Sets and clears a file's or folder's inode flags (immutable, append-only); false where the
// file system or the user's rights do not allow it.
bool changeFlags(const QString& path, int add, int remove) {
    const int fd = open(QFile::encodeName(path).constData(), O_RDONLY);
    int value = 0;
    const bool ok = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &value) == 0 &&
                    (value = (value | add) & ~remove, ioctl(fd, FS_IOC_SETFLAGS, &value) == 0);
    if (fd >= 0) close(fd);
    return ok;
}

} // namespace

bool setReadOnly(const QString& path, bool readOnly) {
    if (geteuid() != 0)
        return QFile::setPermissions(path, readOnly ? QFile::ReadOwner
                                                    : QFile::ReadOwner | QFile::WriteOwner);
    return readOnly ? changeFlags(path, FS_IMMUTABLE_FL, 0) : changeFlags(path, 0, FS_IMMUTABLE_FL);
}

AppendOnlyFolder::AppendOnlyFolder(const QString& path) : FPath(path) {
    FSet = QDir().mkpath(path) && changeFlags(path, FS_APPEND_FL, 0);
}

AppendOnlyFolder::~AppendOnlyFolder() {
    if (FSet) changeFlags(FPath, 0, FS_APPEND_FL);
}

// SIGXFSZ is ignored so that the write fails (EFBIG) instead of ending the process.
FileSizeLimit::FileSizeLimit(long long bytes) {
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    FOldCurrent = old.rlim_cur;
    FOldMaximum = old.rlim_max;
    FHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{rlim_t(bytes), old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    const rlimit old{rlim_t(FOldCurrent), rlim_t(FOldMaximum)};
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, FHandler);
}

const char* FileSizeLimit::unavailable() {
    return nullptr;
}

const char* readOnlySystemFolder() {
    return "/proc";
}

const char* czechCLocale() {
    return "cs_CZ.UTF-8";
}
