#include "qtTranslations.h"

#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

TEST(QtTranslations, StandardButtonsFollowTheLocale) {
    const struct {
        const char* locale;
        bool installed;
        const char* save;
        const char* cancel;
    } rows[] = {
        {"cs_CZ", true, "Uložit", "Zrušit"},
        {"C", false, "Save", "Cancel"},
        {"cs_CZ", true, "Uložit", "Zrušit"}, // after English, once more
    };
    for (const auto& row : rows) {
        EXPECT_EQ(installQtTranslations(QLocale(QString::fromLatin1(row.locale))), row.installed)
            << row.locale;
        QMessageBox box(QMessageBox::Question, QString(), QString(),
                        QMessageBox::Save | QMessageBox::Cancel);
        EXPECT_EQ(box.button(QMessageBox::Save)->text(), QString::fromUtf8(row.save)) << row.locale;
        EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QString::fromUtf8(row.cancel))
            << row.locale;
    }
    installQtTranslations(QLocale::c());
}

} // namespace
