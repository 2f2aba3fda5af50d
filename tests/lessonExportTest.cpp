#include "lessonExport.h"

#include "application.h"
#include "expectedOverlay.h"
#include "fileError.h"
#include "lessonSetups.h"
#include "numberText.h"
#include "projectorSize.h"
#include "random.h"
#include "systemFaults.h"
#include "uFKavalun.h"
#include "uNumberEdit.h"
#include "uQuarnSpinEdit.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <clocale>
#include <iostream>
#include <map>

namespace {

using Rows = std::vector<std::vector<std::string>>;

// RFC 4180 rows: CRLF ends a row, a quoted field may hold anything, "" is a quote.
Rows parseCsv(const std::string& text, char separator) {
    Rows rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& field = rows.back().back();
        if (quoted) {
            if (c != '"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == separator) {
            rows.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            rows.emplace_back(1);
        } else {
            field += c;
        }
    }
    rows.pop_back(); // after the last CRLF
    return rows;
}

TEST(LessonCsv, QuotesOnlyFieldsThatNeedIt) {
    struct Row {
        const char* text;
        char separator;
        const char* field;
    } rows[] = {
        {"Pod středem", ',', "Pod středem"},
        {"1,5", ';', "\"1,5\""}, // whole also where spreadsheets split at every comma
        {"1,5", ',', "\"1,5\""},
        {"a;b", ';', "\"a;b\""},
        {"say \"hi\"", ',', "\"say \"\"hi\"\"\""},
        {"two\r\nlines", ',', "\"two\r\nlines\""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(csvField(row.text, row.separator), row.field) << row.text;
}

TEST(LessonFormula, BeforeAnyRunEveryCellIsANumber) {
    // Everything is 0 then: beta 0 takes the limit 1 of (sin beta / beta)^2, not 0 / 0,
    // which the workbook could not store.
    const LessonFormula formula = lessonFormula(RunSummary{}, {});
    ASSERT_EQ(formula.expected.size(), std::size_t(lessonFormulaBins));
    for (int bin = 0; bin < lessonFormulaBins; ++bin) {
        EXPECT_EQ(formula.intensity[bin], 1) << bin;
        EXPECT_EQ(formula.expected[bin], 0) << bin;
    }
}

TEST(LessonNumber, FilesGiveTheDigitsOfTheWindowsText) {
    // Rounded to 18 digits and then half up, as the window's text rounds, this value parts
    // from a correct rounding to 15 digits (…345): the CSV and the workbook must both say …346.
    const Extended parted = TextToNumber("1.234567890123454999");
    for (char separator : {'.', ','}) {
        SetDecimalSeparator(separator);
        EXPECT_EQ(lessonNumber(parted), TextToNumber(NumberToText(parted)).toDouble());
        EXPECT_EQ(lessonNumber(parted), 1.23456789012346);
    }
    SetDecimalSeparator('.');
}

struct ShownBox {
    QString title, text;
};

class LessonExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDecimalSeparator('.');
        TApplication::setErrorBox(
            [](const QString&, const QString& text) { ADD_FAILURE() << text.toStdString(); });
        LessonExport::setErrorBox([this](const QString& title, const QString& text) {
            boxes.push_back({title, text});
        });
        form = std::make_unique<TForm1>();
        lesson = form->findChild<LessonExport*>();
        ASSERT_NE(lesson, nullptr);
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void TearDown() override {
        form.reset();
        LessonExport::setErrorBox({});
        LessonExport::setChooseFile({});
        TApplication::setErrorBox({});
        SetDecimalSeparator('.');
        application()->resetTerminated();
    }

    // A run from a fixed generator state, stopped by a click after `particles`; `during` is
    // served after every particle, as the run's message processing would.
    void runParticles(std::int64_t particles, std::function<void()> during = {}) {
        form->AfterSeedRandom = [] { RandomState = 12345; };
        form->AfterParticle = [this, particles, during] {
            if (during) during();
            if (form->particleCount() == particles && form->running())
                QTest::mouseClick(form->Button1, Qt::LeftButton);
        };
        while (form->pace() > 0)
            form->QuarnSpinButton1TopClick(form->QuarnSpinButton1);
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        form->AfterParticle = {};
    }

    // Every kind of file the menu saves.
    enum Kind { Csv, Png, Xlsx };
    bool save(Kind kind, const QString& path) {
        return kind == Csv   ? lesson->saveCsv(path)
               : kind == Png ? lesson->savePicture(path)
                             : lesson->saveWorkbook(path);
    }

    std::string readFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("-");
    }

    // The entries of the popup menu that `open` brings up; empty when none appears.
    QStringList popupAfter(const std::function<void()>& open) {
        // The last popup gone and the window active again: only then do its shortcuts work.
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([this] {
            return !QApplication::activePopupWidget() && QApplication::activeWindow() == form.get();
        }));
        QStringList entries;
        const auto closePopup = [&entries] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return false;
            for (QAction* action : menu->actions())
                if (!action->isSeparator()) entries << action->text();
            menu->close();
            return true;
        };
        // A blocking menu is closed from its own event loop, any other one afterwards.
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (closePopup()) closer.stop();
        });
        closer.start(5);
        open();
        if (closer.isActive()) closePopup();
        return entries;
    }

    // Chooses the entry at `path` (a submenu's title, then its entry) from the window's menu.
    void choose(const QStringList& path) {
        bool found = false;
        QTimer chooser;
        QObject::connect(&chooser, &QTimer::timeout, [&] {
            auto* top = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!top) return;
            chooser.stop();
            QMenu* menu = top;
            for (const QString& text : path) {
                QAction* entry = nullptr;
                for (QAction* action : menu->actions())
                    if (action->text() == text) entry = action;
                if (!entry) break;
                if (entry->menu()) {
                    menu = entry->menu();
                } else {
                    found = true;
                    entry->trigger();
                }
            }
            top->close();
        });
        chooser.start(5);
        lesson->showMenu(form->mapToGlobal(QPoint(40, 300)));
        EXPECT_TRUE(found) << path.join(" > ").toStdString();
    }

    std::unique_ptr<TForm1> form;
    LessonExport* lesson = nullptr;
    std::vector<ShownBox> boxes;
    QTemporaryDir dir;
};

TEST_F(LessonExportTest, CsvOfARunGivesBackItsParametersAndCounts) {
    const QString during = dir.filePath("during.csv");
    runParticles(3000, [&] {
        if (form->particleCount() == 1000) lesson->saveCsv(during);
    });
    ASSERT_EQ(form->particleCount(), 3000);
    // Saved in the middle of the run: a consistent snapshot, and the run went on.
    const Rows middle = parseCsv(readFile(during).substr(3), ',');
    ASSERT_EQ(middle.size(), 107u);
    EXPECT_EQ(middle[4][1], "1000");
    std::int64_t fired = std::stoll(middle[5][1]);
    for (int bin = 0; bin < lessonBins; ++bin)
        fired += std::stoll(middle[8 + bin].at(5));
    EXPECT_EQ(fired, 1000);

    for (const char decimal : {',', '.'}) {
        SetDecimalSeparator(decimal);
        const QString path = dir.filePath("run.csv");
        ASSERT_TRUE(lesson->saveCsv(path));
        const std::string text = readFile(path);
        EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
        const Rows rows = parseCsv(text.substr(3), decimal == ',' ? ';' : ',');
        ASSERT_EQ(rows.size(), 107u);
        EXPECT_EQ(rows[6], (std::vector<std::string>{""}));
        EXPECT_EQ(rows[7], (std::vector<std::string>{"Přihrádka", "Úhel od [°]", "Úhel do [°]",
                                                     "Pod středem", "Nad středem", "Celkem"}));
        const std::string point(1, decimal);
        const std::vector<std::string> parameters = {"1", "10",   "197" + point + "802197802198",
                                                     "3", "3000", IntToText(OutsideTableCount)};
        for (std::size_t i = 0; i < parameters.size(); ++i)
            EXPECT_EQ(rows[i].at(1), parameters[i]) << rows[i][0];
        std::int64_t total = OutsideTableCount;
        for (int bin = 0; bin < lessonBins; ++bin) {
            const std::vector<std::string>& row = rows[8 + bin];
            ASSERT_EQ(row.size(), 6u);
            EXPECT_EQ(row.at(3), IntToText(LowerCounts[bin])) << bin;
            EXPECT_EQ(row.at(4), IntToText(UpperCounts[bin])) << bin;
            total += std::stoll(row.at(5));
        }
        EXPECT_EQ(total, 3000) << "every particle is in a bin or counted without one";
        // Bin k spans k + 1 to k + 2 degrees; the last one lies past the table.
        EXPECT_EQ(std::vector<std::string>(rows[9].begin(), rows[9].begin() + 3),
                  (std::vector<std::string>{"1", "2", "3"}));
        EXPECT_EQ(std::vector<std::string>(rows[106].begin(), rows[106].begin() + 3),
                  (std::vector<std::string>{"98", "99", ""}));
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(LessonExportTest, PictureIsWhatTheWindowShows) {
    runParticles(500);
    const QImage shown = form->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.size(), form->size() * form->devicePixelRatio());
    // The drawing is part of it: bars stand right of the screen.
    int black = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 501; x < 700; ++x)
            black += shown.pixel(x, y) == qRgb(0, 0, 0);
    EXPECT_GT(black, 0);

    const QString path = dir.filePath("window.png");
    ASSERT_TRUE(lesson->savePicture(path));
    EXPECT_EQ(QImage(path, "PNG").convertToFormat(QImage::Format_RGB32), shown);
    lesson->copyPicture();
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), shown);
}

TEST_F(LessonExportTest, FailedSaveShowsWhyAndLosesNothing) {
    runParticles(200);
    const auto lower = LowerCounts;
    const QImage before = form->grab().toImage();
    const auto keep = [&](const QString& name) {
        QFile existing(dir.filePath(name));
        EXPECT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write("kept");
        return existing.fileName();
    };
    const QString kept = keep("kept.csv");
    const QString locked = keep("locked.csv");
    const bool lockable = setReadOnly(locked, true);
    // /proc takes no new files, also from root.
    const bool systemFolder = readOnlySystemFolder() != nullptr;
    if (systemFolder) {
        ASSERT_TRUE(QFile::link("/proc/kavalun.csv", dir.filePath("link.csv")));
    }
    // 262 bytes where a letter with a háček takes two of the 255 (Linux), else 304 letters.
    const QString czechName = QString(accentsCountTwice() ? 130 : 300, QChar(0x10D)) + ".csv";

    struct Row {
        const char* name;
        QString path;
        const char* reason;
    } rows[] = {
        {"read-only folder, new file", "/proc/kavalun.csv", "Ve složce „/proc“ nelze"},
        {"read-only folder, existing file", "/proc/version", "Ve složce „/proc“ nelze"},
        {"link into a read-only folder", dir.filePath("link.csv"), "Ve složce „/proc“ nelze"},
        {"read-only file", locked, "“ je jen pro čtení"},
        {"folder given as the name", dir.path(), "patří složce"},
        {"missing folder", dir.filePath("none/kept.csv"), "neexistuje"},
        {"name too long", dir.filePath(czechName), "příliš dlouhý"},
        {"commit refused", dir.filePath("append/kept.csv"), "nezdařil"},
    };
    // Renamed over an existing file; a new one would simply be linked into the folder.
    QDir(dir.path()).mkdir("append");
    QFile::copy(kept, dir.filePath("append/kept.csv"));
    const AppendOnlyFolder appendOnly(dir.filePath("append"));
    for (const Row& row : rows) {
        if (row.path == locked && !lockable) {
            // Root on a file system without the immutable flag: nothing stops root's writes.
            std::cout << "[ NOTE     ] no read-only file can be made here; row skipped\n";
            continue;
        }
        if (row.path.contains("append") && !appendOnly.set()) continue; // not on this system
        if (QString::fromUtf8(row.reason).contains("/proc") && !systemFolder) {
            std::cout << "[ NOTE     ] no folder here refuses new files to everyone; row skipped\n";
            continue;
        }
        for (const Kind kind : {Csv, Png, Xlsx}) {
            boxes.clear();
            const std::string old = readFile(row.path);
            EXPECT_FALSE(save(kind, row.path));
            ASSERT_EQ(boxes.size(), 1u) << row.name;
            EXPECT_EQ(boxes[0].title, "Ohyb na Kavalun");
            EXPECT_TRUE(boxes[0].text.contains(QDir::toNativeSeparators(row.path))) << row.name;
            EXPECT_TRUE(boxes[0].text.contains(QString::fromUtf8(row.reason)))
                << row.name << " " << kind << ": " << boxes[0].text.toStdString();
            EXPECT_EQ(readFile(row.path), old) << row.name;
        }
    }
    setReadOnly(locked, false);
    EXPECT_EQ(readFile(kept), "kept");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"kept.csv", "locked.csv"}))
        << "no leftovers";
    if (systemFolder) {
        EXPECT_TRUE(QFileInfo(dir.filePath("link.csv")).isSymLink());
    }
    EXPECT_EQ(LowerCounts, lower);
    EXPECT_EQ(form->particleCount(), 200);
    EXPECT_EQ(form->grab().toImage(), before);
}

// A file-size limit stops writes as a full disk does (EFBIG in place of ENOSPC), without root.
TEST_F(LessonExportTest, WriteStoppedPartWayKeepsTheOldFile) {
    if (const char* why = FileSizeLimit::unavailable()) GTEST_SKIP() << why;
    runParticles(200);
    // The longest name the system takes leaves no room for a temporary name beside it.
    const QString data("data"), longest = QString(251, 'a') + ".csv";
    for (const Kind kind : {Csv, Png, Xlsx}) {
        for (const auto& [name, existing] : {std::pair(data, true), std::pair(data, false),
                                             std::pair(longest, true), std::pair(longest, false)}) {
            QTemporaryDir folder;
            const QString path = folder.filePath(name);
            if (existing) {
                QFile old(path);
                ASSERT_TRUE(old.open(QIODevice::WriteOnly));
                old.write("kept");
            }
            boxes.clear();
            {
                const FileSizeLimit limit(256); // each file is larger
                EXPECT_FALSE(save(kind, path)) << kind;
            }
            ASSERT_EQ(boxes.size(), 1u) << kind;
            EXPECT_TRUE(boxes[0].text.contains(QString::fromUtf8("větší, než systém dovoluje")))
                << boxes[0].text.toStdString();
            EXPECT_EQ(readFile(path), existing ? "kept" : "-") << kind;
            const QDir::Filters files = QDir::Files | QDir::Hidden;
            EXPECT_EQ(QDir(folder.path()).entryList(files),
                      existing ? QStringList{name} : QStringList{})
                << "no stray file";
            boxes.clear();
            EXPECT_TRUE(save(kind, path)) << "without the limit";
            EXPECT_TRUE(boxes.empty()) << boxes[0].text.toStdString();
            EXPECT_GT(readFile(path).size(), 256u) << "the old bytes replaced";
            EXPECT_EQ(QDir(folder.path()).entryList(files), QStringList{name});
        }
    }
}

TEST_F(LessonExportTest, WorkbookHoldsTheRunTheFormulaAndTheChart) {
    runParticles(3000);
    const QString path = dir.filePath("lekce.xlsx");
    {
        // The file's numbers keep their point where the C library writes a decimal comma.
        const std::string numeric = setlocale(LC_NUMERIC, nullptr);
        ASSERT_NE(setlocale(LC_NUMERIC, czechCLocale()), nullptr) << "made by scripts/deps.sh";
        const bool saved = lesson->saveWorkbook(path);
        setlocale(LC_NUMERIC, numeric.c_str());
        ASSERT_TRUE(saved);
    }
    // An independent reader of the file.
    QProcess reader;
    reader.start("/usr/bin/python3", {KAVALUN_TEST_SUPPORT "/readWorkbook.py", path});
    ASSERT_TRUE(reader.waitForFinished(60000)) << reader.errorString().toStdString();
    ASSERT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    const QJsonObject book = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
    const QJsonObject cells = book["cells"].toObject();
    const auto number = [&](const QString& cell) {
        const QJsonObject entry = cells[cell].toObject();
        EXPECT_EQ(entry["type"].toString(), "n") << cell.toStdString();
        return entry["value"].toDouble(-1);
    };
    const RunSummary run = summaryOf(RunRecord);
    const double parameters[] = {1, 10, 197.802197802198, 3, 3000, double(run.withoutBin)};
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(number(QString("B%1").arg(row + 1)), parameters[row])
            << cells[QString("A%1").arg(row + 1)].toObject()["value"].toString().toStdString();
    EXPECT_EQ(cells["A6"].toObject()["value"].toString(),
              QString::fromUtf8("Částice bez přihrádky (úhel do 1°)"));

    std::vector<std::int64_t> totals;
    for (int bin = 0; bin < lessonBins; ++bin) {
        const QString row = QString::number(9 + bin);
        EXPECT_EQ(number("A" + row), bin);
        EXPECT_EQ(number("B" + row), bin + 1);
        EXPECT_EQ(number("D" + row), LowerCounts[bin]) << bin;
        EXPECT_EQ(number("E" + row), UpperCounts[bin]) << bin;
        totals.push_back(std::int64_t(number("F" + row)));
        EXPECT_EQ(totals.back(), LowerCounts[bin] + UpperCounts[bin]);
    }
    // Formulas over the cells, their values stored; the last bin has neither.
    const LessonFormula formula = lessonFormula(run, totals);
    EXPECT_NEAR(formula.beta[0], 0.327066, 1e-6) << "the guide's worked example";
    const std::vector<double>* const columns[] = {&formula.beta, &formula.intensity,
                                                  &formula.expected};
    for (int bin = 0; bin < lessonFormulaBins; ++bin) {
        const QString row = QString::number(9 + bin);
        EXPECT_EQ(number("C" + row), bin + 2);
        for (int column = 0; column < 3; ++column) {
            const QJsonObject entry = cells[QString(QChar('G' + column)) + row].toObject();
            EXPECT_EQ(entry["type"].toString(), "f");
            const double value = (*columns[column])[bin]; // stored to 16 digits
            EXPECT_NEAR(entry["cached"].toDouble(), value, 1e-15 * std::abs(value)) << bin;
        }
    }
    EXPECT_EQ(cells["G9"].toObject()["value"].toString(),
              "=PI()*$B$2*1E-9*$B$1*9.1E-31*$B$3*1000/6.034E-34*SIN(RADIANS(C9))");
    EXPECT_EQ(cells["I9"].toObject()["value"].toString(), "=SUM($F$9:$F$107)*H9/SUM($H$9:$H$106)");
    EXPECT_FALSE(cells.contains("C107") || cells.contains("G107"));

    const QJsonArray charts = book["charts"].toArray();
    ASSERT_EQ(charts.size(), 1);
    const QJsonObject chart = charts[0].toObject();
    EXPECT_EQ(chart["type"].toString(), "ScatterChart");
    EXPECT_FALSE(chart["title"].toString().isEmpty());
    const QJsonArray series = chart["series"].toArray();
    ASSERT_EQ(series.size(), 2);
    EXPECT_EQ(series[0].toObject()["y"].toString(), "Histogram!$F$9:$F$106");
    EXPECT_EQ(series[1].toObject()["y"].toString(), "Histogram!$I$9:$I$106");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(LessonExportTest, FileDialogRemembersTheLastFolder) {
    std::vector<QString> suggestions;
    QString answer;
    LessonExport::setChooseFile([&](LessonExport::FileKind, const QString& suggestion) {
        suggestions.push_back(suggestion);
        return answer;
    });
    answer = dir.filePath("a.csv");
    lesson->saveCsvAs();
    EXPECT_TRUE(QFile::exists(answer));
    answer.clear(); // Cancel
    lesson->savePictureAs();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.csv"});
    ASSERT_EQ(suggestions.size(), 2u);
    EXPECT_EQ(suggestions[1], dir.filePath("okno.png"));

    answer = dir.filePath("none/b.xlsx"); // a folder that is not there
    lesson->saveWorkbookAs();
    EXPECT_EQ(boxes.size(), 1u);
    answer.clear();
    lesson->saveCsvAs();
    ASSERT_EQ(suggestions.size(), 4u);
    EXPECT_EQ(suggestions[2], dir.filePath("histogram.xlsx"));
    EXPECT_FALSE(suggestions[3].contains("none")) << "a missing folder is not offered again";
}

TEST_F(LessonExportTest, OverLongNameInTheDialogIsAnswered) {
    // 300 letters, or letters with a háček that are too many only as bytes (Linux).
    for (const QString& name :
         {QString(300, 'a'), QString(accentsCountTwice() ? 130 : 300, QChar(0x10D))}) {
        boxes.clear();
        bool stillOpen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->selectFile(dir.filePath(name));
            QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
            stillOpen = dialog->isVisible();
            dialog->reject();
        });
        lesson->saveCsvAs();
        EXPECT_TRUE(stillOpen) << "the name can be corrected";
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(boxes[0].text.contains(QString::fromUtf8("příliš dlouhý")));
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(LessonExportTest, MenuOpensFromTheWindowNotFromItsControls) {
    const QStringList ours = {QString::fromUtf8("Uložit histogram jako CSV…"),
                              QString::fromUtf8("Uložit jako sešit (XLSX)…"),
                              QString::fromUtf8("Uložit obrázek okna…"),
                              QString::fromUtf8("Kopírovat obrázek okna"),
                              QString::fromUtf8("Pokusy z návodu"),
                              QString::fromUtf8("Načíst parametry ze souboru…"),
                              QString::fromUtf8("Zobrazit očekávané rozdělení"),
                              QString::fromUtf8("Velikost pro projektor")};
    QWindow* window = form->windowHandle();
    const auto rightClick = [&](QWidget* over) {
        return popupAfter([&] {
            QTest::mouseClick(window, Qt::RightButton, {},
                              over ? over->geometry().center() : QPoint(40, 300));
        });
    };
    const auto key = [&](QWidget* focus, QKeyCombination combination) {
        focus->setFocus();
        return popupAfter(
            [&] { QTest::keyClick(window, combination.key(), combination.keyboardModifiers()); });
    };
    EXPECT_EQ(rightClick(nullptr), ours) << "background";
    EXPECT_EQ(rightClick(form->Label6), ours);
    EXPECT_EQ(rightClick(form->QuarnSpinButton1), ours);
    for (QWidget* control :
         {static_cast<QWidget*>(form->Button1), static_cast<QWidget*>(form->cbAutomat),
          static_cast<QWidget*>(form->tbZoom)})
        EXPECT_EQ(rightClick(control), QStringList()) << control->metaObject()->className();
    const QStringList editMenu = rightClick(form->neSirka);
    EXPECT_FALSE(editMenu.isEmpty());
    EXPECT_NE(editMenu, ours);

    EXPECT_EQ(key(form->Button1, Qt::Key_Menu), ours);
    EXPECT_EQ(key(form->tbZoom, Qt::SHIFT | Qt::Key_F10), ours);
    EXPECT_NE(key(form->neSirka, Qt::SHIFT | Qt::Key_F10), ours);
}

TEST_F(LessonExportTest, CtrlArrowsChangeThePaceFromEveryControl) {
    QWindow* window = form->windowHandle();
    for (QWidget* control : std::initializer_list<QWidget*>{
             form->Button1, form->neHmotnost, form->neSirka, form->nePocetMaxim, form->neRychlost,
             form->cbAutomat, form->tbZoom}) {
        form->cbAutomat->setChecked(control != form->neRychlost);
        control->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), control);
        const int pace = form->pace();
        const QString text = form->neSirka->text();
        QTest::keyClick(window, Qt::Key_Up, Qt::ControlModifier);
        EXPECT_EQ(form->pace(), pace - 1) << control->metaObject()->className();
        QTest::keyClick(window, Qt::Key_Down, Qt::ControlModifier);
        QTest::keyClick(window, Qt::Key_Down, Qt::ControlModifier);
        EXPECT_EQ(form->pace(), pace + 1) << control->metaObject()->className();
        EXPECT_EQ(form->tbZoom->value(), 100);
        EXPECT_EQ(form->neSirka->text(), text);
    }
    QTest::keyClick(window, Qt::Key_Left);
    EXPECT_EQ(form->tbZoom->value(), 99) << "plain arrows still move the track bar";
}

TEST_F(LessonExportTest, GuideExperimentsSetTheFieldsWithoutStarting) {
    // The guide's own headings, in its order, with the values each experiment asks for.
    QFile guide(KAVALUN_TEST_SUPPORT "/../../docs/navod.md");
    ASSERT_TRUE(guide.open(QIODevice::ReadOnly));
    QStringList headings;
    for (const QString& line : QString::fromUtf8(guide.readAll()).split('\n'))
        if (line.startsWith("### Pokus ")) headings << line.section(": ", 1);
    const struct {
        LessonSetup fields;
    } rows[] = {
        {{"1", "10", "3", "300", true}}, {{"2", "10", "3", "198", false}},
        {{"1", "5", "3", "198", false}}, {{"1", "10", "5", "300", true}},
        {{"1", "10", "3", "300", true}},
    };
    ASSERT_EQ(headings.size(), int(std::size(rows)));
    const LessonSetup typed{"7", "8", "9", "11", false};
    for (int i = 0; i < headings.size(); ++i) {
        applyLessonSetup(*form, typed);
        const std::int64_t fired = form->particleCount();
        choose({QString::fromUtf8("Pokusy z návodu"), headings[i]});
        EXPECT_EQ(lessonSetupOf(*form), rows[i].fields) << headings[i].toStdString();
        EXPECT_EQ(form->neRychlost->isEnabled(), !rows[i].fields.automatic);
        EXPECT_FALSE(form->running());
        EXPECT_EQ(form->particleCount(), fired);
    }
}

TEST_F(LessonExportTest, SavedCsvLoadsBackAndAnyOtherFileChangesNothing) {
    const auto write = [&](const QString& name, const std::string& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), qint64(bytes.size()));
        return file.fileName();
    };
    const std::string ours = "\xEF\xBB\xBFHmotnost částice (elektron = 1);2\r\nŠířka Kavalun "
                             "[nm];\"4,5\"\r\nRychlost [km/s];198\r\nPočet maxim;3\r\n";
    const struct Row {
        const char* name;
        std::string bytes; // empty: saved by the program after a run of these fields
        LessonSetup fields;
        const char* problem; // null: the file loads into the fields
    } rows[] = {
        {"typed speed", "", {"2", "5", "4", "198", false}, nullptr},
        {"automatic speed", "", {"1,5", "10", "5", "220", true}, nullptr},
        {"written by hand", ours, {"2", "4,5", "3", "198", false}, nullptr},
        {"no byte-order mark, LF",
         "Hmotnost částice (elektron = 1),1\nŠířka Kavalun [nm],10\n"
         "Rychlost [km/s],\"197,802197802198\"\nPočet maxim,3\n",
         {"1", "10", "3", "198", true},
         nullptr},
        {"foreign file", "a;b;c\r\n1;2;3\r\n", {}, "není tabulka uložená tímto programem"},
        {"binary", std::string("\x89PNG\r\n\0\0", 8), {}, "není tabulka"},
        {"row missing", ours.substr(0, ours.find("Rychlost")), {}, "na řádku 3"},
        {"mass zero",
         "Hmotnost částice (elektron = 1);0\r\n" + ours.substr(ours.find("Šíř")),
         {},
         "kladné číslo"},
        {"slit not a number",
         "Hmotnost částice (elektron = 1);1\r\nŠířka Kavalun [nm];x\r\n" +
             ours.substr(ours.find("Rychlost")),
         {},
         "„x“"},
        {"maxima not whole",
         ours.substr(0, ours.find("Počet")) + "Počet maxim;2,5\r\n",
         {},
         "celé číslo"},
        {"typed speed not whole",
         "Hmotnost částice (elektron = 1);1\r\nŠířka Kavalun [nm];10\r\n"
         "Rychlost [km/s];\"198,5\"\r\nPočet maxim;3\r\n",
         {},
         "celé číslo"},
        {"missing file", "-", {}, "nelze otevřít"},
    };
    SetDecimalSeparator(',');
    const LessonSetup before{"7", "8", "9", "11", false};
    for (const Row& row : rows) {
        boxes.clear();
        QString path = dir.filePath("none.csv");
        if (row.bytes.empty()) {
            applyLessonSetup(*form, row.fields);
            runParticles(50);
            path = dir.filePath("saved.csv");
            ASSERT_TRUE(lesson->saveCsv(path));
        } else if (row.bytes != "-") {
            path = write("file.csv", row.bytes);
        }
        applyLessonSetup(*form, before);
        EXPECT_EQ(lesson->loadSetup(path), !row.problem) << row.name;
        EXPECT_EQ(lessonSetupOf(*form), row.problem ? before : row.fields) << row.name;
        ASSERT_EQ(boxes.size(), row.problem ? 1u : 0u) << row.name;
        if (row.problem) {
            EXPECT_TRUE(boxes[0].text.contains(QString::fromUtf8(row.problem)))
                << row.name << ": " << boxes[0].text.toStdString();
        }
    }
}

TEST_F(LessonExportTest, ExpectedCountsAgreeWithTheWorkbook) {
    for (const LessonSetup& fields : {LessonSetup{}, LessonSetup{"2", "10", "3", "198", false},
                                      LessonSetup{"1", "5", "3", "198", false}}) {
        applyLessonSetup(*form, fields);
        runParticles(20000);
        const PatternDraws& draws = *form->patternDraws();
        const std::array<double, lessonBins> overlay =
            expectedPerSide(draws, draws.perBin(), 20000);
        std::vector<std::int64_t> totals;
        for (int bin = 0; bin < lessonBins; ++bin)
            totals.push_back(LowerCounts[bin] + UpperCounts[bin]);
        const LessonFormula formula = lessonFormula(summaryOf(RunRecord), totals);
        const std::vector<Extended>& entries = draws.entries;
        double inBins = 0, intensities = 0, overlayInBins = 0;
        for (int bin = 0; bin < lessonFormulaBins; ++bin) {
            inBins += double(totals[bin]);
            intensities += formula.intensity[bin];
            overlayInBins += 2 * overlay[bin];
        }
        EXPECT_EQ(overlay[98], 0) << "past the table";
        // In all, the line shows as many particles in bins as the run put there, within the
        // spread of a fixed seed's run.
        EXPECT_NEAR(overlayInBins, inBins, 5 * std::sqrt(inBins));
        for (int bin = 0; bin < lessonFormulaBins; ++bin) {
            // The table's step is the workbook's intensity, to 6 digits wherever the intensity
            // stands well above the 15-digit table's rounding (near a minimum it does not).
            const double step = (entries[bin + 1] - entries[bin]).toDouble();
            if (formula.intensity[bin] > 1e-7) {
                EXPECT_NEAR(step, formula.intensity[bin], 1e-6 * formula.intensity[bin]) << bin;
            }
            // A run draws in thousandths: each bin holds a whole number of the draws, within one
            // of a thousand times its intensity, so the shares, scaled to the particles in bins,
            // differ from the workbook's by up to about three draws.
            const double scaled = 2 * overlay[bin] * inBins / overlayInBins;
            EXPECT_NEAR(scaled, formula.expected[bin], 3 * inBins / (1000 * intensities)) << bin;
        }
    }
}

TEST_F(LessonExportTest, ExpectedLineStandsInThePictureWhenShown) {
    const QString entry = QString::fromUtf8("Zobrazit očekávané rozdělení");
    const auto redIn = [](const QImage& picture) {
        int red = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                red += picture.pixel(x, y) == qRgb(255, 0, 0);
        return red;
    };
    runParticles(3000);
    EXPECT_EQ(redIn(lesson->picture().toImage().convertToFormat(QImage::Format_RGB32)), 0);
    choose({entry});
    const QString path = dir.filePath("window.png");
    ASSERT_TRUE(lesson->savePicture(path));
    const QImage saved = QImage(path, "PNG").convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(redIn(saved), 200) << "a line through the bins of both sides";
    // At bin 0 the line stands at the count it should have by now, at the zoom of the moment.
    const PatternDraws& draws = *form->patternDraws();
    const double expected0 = expectedPerSide(draws, draws.perBin(), 3000)[0];
    const qreal ratio = saved.devicePixelRatio();
    const int y = int((form->outerHeight() / 2 + 1) * ratio);
    int reddest = -1;
    for (int x = 0; x < saved.width(); ++x)
        if (saved.pixel(x, y) == qRgb(255, 0, 0)) reddest = x;
    EXPECT_NEAR(reddest / ratio, 500 + expected0, 2);
    EXPECT_TRUE(boxes.empty());
    choose({entry});
    EXPECT_EQ(redIn(lesson->picture().toImage().convertToFormat(QImage::Format_RGB32)), 0);
}

TEST_F(LessonExportTest, ProjectorSizeStartsTheProgramAnewAfterAsking) {
    struct Started {
        QStringList arguments;
        bool scaleFactor;
    };
    std::vector<Started> started;
    std::vector<QString> asked;
    bool answer = false, starts = true;
    setStartProgram([&](const QString& program, const QStringList& arguments,
                        const QProcessEnvironment& environment) {
        EXPECT_EQ(program, QCoreApplication::applicationFilePath());
        started.push_back({arguments, environment.contains("QT_SCALE_FACTOR")});
        return starts;
    });
    setAskToGoOn([&](const QString& text) {
        asked.push_back(text);
        return answer;
    });
    TApplication::setErrorBox([&](const QString&, const QString& text) {
        boxes.push_back({{}, text});
    });
    const bool scaled = qEnvironmentVariableIsSet("QT_SCALE_FACTOR");
    const struct {
        const char* name;
        int particles;
        bool answer, starts;
        std::size_t questions;
        bool restarted;
    } rows[] = {
        {"failed start", 0, false, false, 0, false},
        {"fresh window", 0, false, true, 0, true},
        {"histogram kept", 100, false, true, 1, false},
        {"histogram given up", 100, true, true, 1, true},
    };
    for (const auto& row : rows) {
        form = std::make_unique<TForm1>();
        lesson = form->findChild<LessonExport*>();
        form->show();
        RunRecord.particles = 0; // as in a program just started
        if (row.particles) runParticles(row.particles);
        started.clear();
        asked.clear();
        boxes.clear();
        answer = row.answer;
        starts = row.starts;
        choose({QString::fromUtf8("Velikost pro projektor"), QString::fromUtf8("150 %")});
        QCoreApplication::processEvents(); // the restart waits for the menu to go
        EXPECT_EQ(asked.size(), row.questions) << row.name;
        if (!asked.empty()) {
            EXPECT_TRUE(asked[0].contains(QString::fromUtf8("Běh se ukončí")));
        }
        EXPECT_EQ(started.size(), row.questions && !row.answer ? 0u : 1u) << row.name;
        if (!started.empty()) {
            EXPECT_EQ(started[0].arguments, QStringList{"--velikost=150"});
            EXPECT_EQ(started[0].scaleFactor, scaled) << "the system's own scale handed on";
        }
        EXPECT_EQ(boxes.size(), row.starts ? 0u : 1u) << row.name;
        EXPECT_EQ(form->isVisible(), !row.restarted) << row.name;
        application()->resetTerminated();
    }
    setStartProgram({});
    setAskToGoOn({});
}

} // namespace
