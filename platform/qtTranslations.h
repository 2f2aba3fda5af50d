#pragma once

#include <QLocale>

// Loads Qt's own texts (file dialog, prompts, standard buttons, error messages) in the
// language of `locale` from the system's translations folder, in place of any loaded before.
// False when none are installed for it: Qt's texts stay English.
bool installQtTranslations(const QLocale& locale = QLocale::system());
