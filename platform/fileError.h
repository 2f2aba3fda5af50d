#pragma once

#include <QString>

// The system's own error of a failed file step (errno on Linux, GetLastError() on Windows) and
// the system's limits on file names. One file per system, chosen in CMake: callers read no
// errno and include no system header.
enum class FileErrorKind {
    Other,
    DiskFull,
    QuotaExceeded,
    FileTooBig,
    IoError,
    NameTooLong,
    AccessDenied, // Windows: also a file that another program holds open
    PathNotFound,
    SharingViolation, // the file is open in another program (Excel holds its files so)
};

void clearFileError();
int lastFileError(); // 0 when the step set none
FileErrorKind fileErrorKind(int error);

// The longest file name the folder takes, and a name's length, in the same units: bytes of
// the file-name encoding on Linux, UTF-16 units on Windows.
int longestFileName(const QString& folder);
int fileNameLength(const QString& name);
// The error a refused write of a read-only file gives.
int accessDeniedError();
// Puts `from` in the place of `to` in one step, also over an existing file; false, with the
// system's error, when it cannot.
bool replaceFile(const QString& from, const QString& to);

// Whether a letter with a háček or a čárka counts twice in those units.
bool accentsCountTwice();
