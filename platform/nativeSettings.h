#pragma once

// Where Qt keeps its own settings in a store of the system that no path moves (the registry
// on Windows: the file dialog's history under HKCU\Software\QtProject), notes them as found
// and puts them back so when the program ends. Nothing to do where they are files.
void restoreNativeSettingsAtExit();
