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
// Whether a letter with a háček or a čárka counts twice in those units.
bool accentsCountTwice();
