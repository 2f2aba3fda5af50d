#pragma once

// Sends what Qt itself would store for the user (the file dialog's visited folders, its
// view and sidebar) to a scratch folder that is removed when the program ends, so that
// nothing of it is left in the user's configuration. Call before Qt first stores any.
void keepToolkitSettingsInSession();
