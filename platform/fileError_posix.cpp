#include "fileError.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <unistd.h>

void clearFileError() {
    errno = 0;
}

int lastFileError() {
    return errno;
}

FileErrorKind fileErrorKind(int error) {
    switch (error) {
    case ENOSPC:
        return FileErrorKind::DiskFull;
    case EDQUOT:
        return FileErrorKind::QuotaExceeded;
    case EFBIG:
        return FileErrorKind::FileTooBig;
    case EIO:
        return FileErrorKind::IoError;
    case ENAMETOOLONG:
        return FileErrorKind::NameTooLong;
    // EACCES, EPERM and EROFS stay Other: the folder's and the file's own state tell those
    // cases apart (an append-only folder refuses only the commit's rename).
    case ENOENT:
    case ENOTDIR:
        return FileErrorKind::PathNotFound;
    case ETXTBSY:
        return FileErrorKind::SharingViolation;
    default:
        return FileErrorKind::Other;
    }
}

int longestFileName(const QString& folder) {
    const long system = pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return int(system > 0 ? system : NAME_MAX);
}

int fileNameLength(const QString& name) {
    return int(QFile::encodeName(name).size());
}

bool accentsCountTwice() {
    return true;
}

int accessDeniedError() {
    return EACCES;
}

bool replaceFile(const QString& from, const QString& to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}
