#pragma once

// While one lives, the C library's printf family on this thread writes numbers with '.',
// whatever the user's locale: libxlsxwriter prints its numbers so, and a spreadsheet file reads
// "197,8" as 197. One file per system, chosen in CMake.
class CNumbersOnThisThread {
public:
    CNumbersOnThisThread();
    ~CNumbersOnThisThread();
    CNumbersOnThisThread(const CNumbersOnThisThread&) = delete;
    CNumbersOnThisThread& operator=(const CNumbersOnThisThread&) = delete;

private:
    struct State;
    State* FState;
};
