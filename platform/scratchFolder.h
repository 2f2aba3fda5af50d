#pragma once

#include <QString>

// A private folder in the temporary folder for as long as the program runs: removed when it
// ends, also by SIGTERM, SIGHUP or SIGINT (which then end it as they would have). Folders
// that earlier runs left behind (ended by SIGKILL or a crash) are removed at the first
// call; a running program's folder is never touched. Empty when none can be made.
QString sessionScratchFolder();
