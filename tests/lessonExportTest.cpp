#include "lessonExport.h"

#include "application.h"
#include "numberText.h"
#include "random.h"
#include "uFKavalun.h"
#include "uNumberEdit.h"
#include "uQuarnSpinEdit.h"

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

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

// A folder that takes new files but lets none of its entries be replaced or removed (root, on
// a file system with the append-only flag): a save over a file there writes the whole new
// file and then fails only at the commit's rename. Cleared again when it goes.
class AppendOnlyFolder {
public:
    explicit AppendOnlyFolder(const QString& path) : FPath(QFile::encodeName(path)) {
        FSet = QDir().mkpath(path) && flags(FS_APPEND_FL, 0);
    }
    ~AppendOnlyFolder() {
        if (FSet) flags(0, FS_APPEND_FL);
    }
    bool set() const { return FSet; }

private:
    bool flags(int add, int remove) const {
        const int fd = open(FPath.constData(), O_RDONLY | O_DIRECTORY);
        int value = 0;
        const bool ok = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &value) == 0 &&
                        (value = (value | add) & ~remove, ioctl(fd, FS_IOC_SETFLAGS, &value) == 0);
        if (fd >= 0) close(fd);
        return ok;
    }
    QByteArray FPath;
    bool FSet = false;
};

TEST(LessonCsv, QuotesOnlyFieldsThatNeedIt) {
    struct Row {
        const char* text;
        char separator;
        const char* field;
    } rows[] = {
        {"Pod středem", ',', "Pod středem"},
        {"1,5", ';', "1,5"},
        {"1,5", ',', "\"1,5\""},
        {"a;b", ';', "\"a;b\""},
        {"say \"hi\"", ',', "\"say \"\"hi\"\"\""},
        {"two\r\nlines", ',', "\"two\r\nlines\""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(csvField(row.text, row.separator), row.field) << row.text;
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
    QFile existing(dir.filePath("kept.csv"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("kept");
    existing.close();

    struct Row {
        const char* name;
        QString path;
        const char* reason;
    } rows[] = {
        // /proc takes no new files, also from root.
        {"read-only folder, new file", "/proc/kavalun.csv", "jen pro čtení"},
        {"read-only folder, existing file", "/proc/version", "jen pro čtení"},
        {"folder given as the name", dir.path(), "patří složce"},
        {"missing folder", dir.filePath("none/kept.csv"), "neexistuje"},
        {"commit refused", dir.filePath("append/kept.csv"), "nezdařil"},
    };
    // Renamed over an existing file; a new one would simply be linked into the folder.
    QDir(dir.path()).mkdir("append");
    QFile::copy(existing.fileName(), dir.filePath("append/kept.csv"));
    const AppendOnlyFolder appendOnly(dir.filePath("append"));
    for (const Row& row : rows) {
        if (row.path.contains("append") && !appendOnly.set()) continue; // not on this system
        for (const bool picture : {false, true}) {
            boxes.clear();
            const std::string old = readFile(row.path);
            EXPECT_FALSE(picture ? lesson->savePicture(row.path) : lesson->saveCsv(row.path));
            ASSERT_EQ(boxes.size(), 1u) << row.name;
            EXPECT_EQ(boxes[0].title, "Ohyb na Kavalun");
            EXPECT_TRUE(boxes[0].text.contains(row.path)) << row.name;
            EXPECT_TRUE(boxes[0].text.contains(QString::fromUtf8(row.reason)))
                << row.name << ": " << boxes[0].text.toStdString();
            EXPECT_EQ(readFile(row.path), old) << row.name;
        }
    }
    EXPECT_EQ(readFile(existing.fileName()), "kept");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.csv"}) << "no leftovers";
    EXPECT_EQ(LowerCounts, lower);
    EXPECT_EQ(form->particleCount(), 200);
    EXPECT_EQ(form->grab().toImage(), before);
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
}

TEST_F(LessonExportTest, MenuOpensFromTheWindowNotFromItsControls) {
    const QStringList ours = {QString::fromUtf8("Uložit histogram jako CSV…"),
                              QString::fromUtf8("Uložit obrázek okna…"),
                              QString::fromUtf8("Kopírovat obrázek okna")};
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

TEST_F(LessonExportTest, EveryControlHasACzechNameAndThePaceItsActions) {
    std::map<QObject*, QAccessibleInterface*> tree;
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
        tree[node->object()] = node;
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i));
    };
    walk(QAccessible::queryAccessibleInterface(form.get()));

    const std::vector<std::pair<QWidget*, const char*>> names = {
        {form->Button1, "Start!"},
        {form->neHmotnost, "Hmotnost částice (elektron = 1)"},
        {form->neSirka, "Šířka Kavalun [nm]"},
        {form->nePocetMaxim, "Počet maxim"},
        {form->neRychlost, "Rychlost [km/s]"},
        {form->cbAutomat, "Automatické určení rychlosti"},
        {form->tbZoom, "Zoom"},
        {form->QuarnSpinButton1, "Vydatnost zdroje"},
        {form->Label1, "Částic"},
    };
    for (const auto& [widget, name] : names) {
        ASSERT_TRUE(tree.count(widget)) << name;
        EXPECT_EQ(tree[widget]->text(QAccessible::Name), QString::fromUtf8(name));
    }
    EXPECT_EQ(tree[form->Label1]->role(), QAccessible::StatusBar);
    EXPECT_EQ(tree[form->Label1]->text(QAccessible::Value), "0");

    QAccessibleInterface* spin = tree[form->QuarnSpinButton1];
    EXPECT_EQ(spin->childCount(), 0) << "one control";
    QAccessibleActionInterface* actions = spin->actionInterface();
    ASSERT_NE(actions, nullptr);
    const QString up = QAccessibleActionInterface::increaseAction();
    const QString down = QAccessibleActionInterface::decreaseAction();
    EXPECT_EQ(actions->actionNames(), (QStringList{up, down}));
    EXPECT_EQ(actions->localizedActionName(up), QString::fromUtf8("Zvýšit"));
    EXPECT_TRUE(actions->localizedActionDescription(down).contains(QString::fromUtf8("dolní")));
    // As clicks on the halves: the top one shortens the pause, the bottom one lengthens it.
    actions->doAction(up);
    EXPECT_EQ(form->pace(), 4);
    actions->doAction(down);
    actions->doAction(down);
    EXPECT_EQ(form->pace(), 6);
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

} // namespace
