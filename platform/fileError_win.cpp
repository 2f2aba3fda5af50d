#include "fileError.h"

#include <QDir>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {
// Not in MinGW-w64's headers.
constexpr DWORD diskQuotaExceeded = 1295; // ERROR_DISK_QUOTA_EXCEEDED
} // namespace

void clearFileError() {
    SetLastError(ERROR_SUCCESS);
}

int lastFileError() {
    return int(GetLastError());
}

FileErrorKind fileErrorKind(int error) {
    switch (DWORD(error)) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FileErrorKind::DiskFull;
    case diskQuotaExceeded:
        return FileErrorKind::QuotaExceeded;
    case ERROR_FILE_TOO_LARGE:
        return FileErrorKind::FileTooBig;
    case ERROR_WRITE_FAULT:
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
        return FileErrorKind::IoError;
    case ERROR_FILENAME_EXCED_RANGE:
        return FileErrorKind::NameTooLong;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return FileErrorKind::AccessDenied;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return FileErrorKind::PathNotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return FileErrorKind::SharingViolation;
    default:
        return FileErrorKind::Other;
    }
}

int longestFileName(const QString& folder) {
    // The volume's own limit (255 on NTFS, FAT32 and exFAT), read from the folder's volume.
    const std::wstring path = QDir::toNativeSeparators(QDir(folder).absolutePath()).toStdWString();
    wchar_t volume[MAX_PATH + 1] = {};
    DWORD longest = 0;
    if (GetVolumePathNameW(path.c_str(), volume, MAX_PATH) &&
        GetVolumeInformationW(volume, nullptr, 0, nullptr, &longest, nullptr, nullptr, 0) &&
        longest > 0)
        return int(longest);
    return 255;
}

int fileNameLength(const QString& name) {
    return int(name.size());
}

bool accentsCountTwice() {
    return false;
}

int accessDeniedError() {
    return ERROR_ACCESS_DENIED;
}

bool replaceFile(const QString& from, const QString& to) {
    // A plain rename on Windows refuses to replace an existing file.
    return MoveFileExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(from).utf16()),
                       reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(to).utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
