#include "nativeSettings.h"

// Qt's settings are files here, which a path sends to the session's folder.
void restoreNativeSettingsAtExit() {}
