// Faults the save tests make the system produce. Where a system cannot make one, the helper says
// so and the test skips that case with the reason. One file per system, chosen in CMake.
#pragma once

#include <QString>

// Read-only even for root: immutable there, without write permission elsewhere; the read-only
// attribute on Windows. False where it cannot be made.
bool setReadOnly(const QString& path, bool readOnly);

// A folder that takes new files but lets none of its entries be replaced or removed (root, on
// a file system with the append-only flag): a save over a file there writes the whole new
// file and then fails only at the commit's rename. Cleared again when it goes.
class AppendOnlyFolder {
public:
    explicit AppendOnlyFolder(const QString& path);
    ~AppendOnlyFolder();
    bool set() const { return FSet; }

private:
    QString FPath;
    bool FSet = false;
};

// A file-size limit stops writes as a full disk does, without root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long long bytes);
    ~FileSizeLimit();
    // Why this system cannot limit a file's size; nullptr where it can.
    static const char* unavailable();

private:
    unsigned long long FOldCurrent = 0, FOldMaximum = 0;
    void (*FHandler)(int) = nullptr;
};

// A system folder that takes no new files, also from root; nullptr where there is none.
const char* readOnlySystemFolder();

// The name of a Czech C library locale, whose decimal point is a comma.
const char* czechCLocale();
