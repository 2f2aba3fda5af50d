#include "systemFaults.h"

#include <QDir>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

bool setReadOnly(const QString& path, bool readOnly) {
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    const DWORD wanted = readOnly ? attributes | FILE_ATTRIBUTE_READONLY
                                  : attributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
    return SetFileAttributesW(name.c_str(), wanted) != 0;
}

// Windows has no append-only folders: the case is not made.
AppendOnlyFolder::AppendOnlyFolder(const QString& path) : FPath(path) {}

AppendOnlyFolder::~AppendOnlyFolder() = default;

FileSizeLimit::FileSizeLimit(long long) {}

FileSizeLimit::~FileSizeLimit() = default;

const char* FileSizeLimit::unavailable() {
    return "Windows has no file-size limit of a process (RLIMIT_FSIZE), and a full disk "
           "cannot be made without administrator rights";
}

const char* readOnlySystemFolder() {
    return nullptr;
}

const char* czechCLocale() {
    return "Czech";
}
