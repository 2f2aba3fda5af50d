#include "windowAccess.h"

#include "accessNotice.h"
#include "application.h"
#include "expectedOverlay.h"
#include "lessonExport.h"
#include "spinAccessible.h"
#include "uFKavalun.h"
#include "uNumberEdit.h"
#include "uQuarnSpinEdit.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>

namespace {

struct Heard {
    qint64 at; // ms
    QAccessible::Event type;
    QObject* object;
    QString text;
};

// What a screen reader would be told, in place of the platform's bridge.
std::vector<Heard> heard;
QElapsedTimer sinceStart;

void hear(QAccessibleEvent& event) {
    QString text;
    if (event.type() == QAccessible::TextUpdated)
        text = static_cast<QAccessibleTextUpdateEvent&>(event).textInserted();
    else if (event.type() == QAccessible::ValueChanged)
        text = static_cast<QAccessibleValueChangeEvent&>(event).value().toString();
    heard.push_back({sinceStart.elapsed(), event.type(), event.object(), text});
}

class WindowAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        TApplication::setErrorBox(
            [](const QString&, const QString& text) { ADD_FAILURE() << text.toStdString(); });
        setAccessibilityListener(hear);
        heard.clear();
        sinceStart.start();
        form = std::make_unique<TForm1>();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override {
        form.reset();
        setAccessibilityListener({});
        TApplication::setErrorBox({});
        application()->resetTerminated();
    }

    std::vector<Heard> heardOf(QObject* object, QAccessible::Event type) const {
        std::vector<Heard> of;
        for (const Heard& h : heard)
            if (h.object == object && h.type == type) of.push_back(h);
        return of;
    }

    std::unique_ptr<TForm1> form;
};

TEST_F(WindowAccessTest, FrameOfNamedControlsEachTiedToItsLabels) {
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(form.get());
    EXPECT_EQ(frame->role(), QAccessible::Window);
    std::map<QObject*, QAccessibleInterface*> tree;
    for (int i = 0; i < frame->childCount(); ++i) {
        QAccessibleInterface* child = frame->child(i);
        EXPECT_EQ(frame->indexOfChild(child), i);
        EXPECT_FALSE(child->text(QAccessible::Name).isEmpty())
            << "unnamed " << child->object()->metaObject()->className();
        tree[child->object()] = child;
    }
    const auto u = [](const char* text) { return QString::fromUtf8(text); };
    const struct {
        QWidget* control;
        QString name;
        QStringList labels;
    } rows[] = {
        {form->Button1, "Start!", {}},
        {form->neHmotnost,
         u("Hmotnost částice (elektron = 1)"),
         {u("Hmotnost částice: "), u("(elektron = 1) ")}},
        {form->neSirka, u("Šířka Kavalun [nm]"), {u("Šířka Kavalun [nm]:")}},
        {form->nePocetMaxim, u("Počet maxim"), {u("Počet maxim:")}},
        {form->neRychlost, u("Rychlost [km/s]"), {u("Rychlost [km/s]:")}},
        {form->cbAutomat, u("Automatické určení rychlosti"), {}},
        {form->tbZoom, u("Zoom"), {u("Zoom")}},
        {form->QuarnSpinButton1, u("Vydatnost zdroje"), {u("Vydatnost zdroje")}},
        {form->Label1, u("Částic"), {u("Částic")}},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(tree.count(row.control)) << row.name.toStdString();
        QAccessibleInterface* node = tree[row.control];
        EXPECT_EQ(node->text(QAccessible::Name), row.name);
        QStringList labels;
        for (const auto& [label, relation] : node->relations(QAccessible::Label))
            labels << label->text(QAccessible::Name);
        EXPECT_EQ(labels, row.labels) << row.name.toStdString();
    }
    QAccessibleTextInterface* counter = tree[form->Label1]->textInterface();
    ASSERT_NE(counter, nullptr);
    EXPECT_EQ(tree[form->Label1]->role(), QAccessible::StatusBar);
    EXPECT_EQ(counter->text(0, counter->characterCount()), "0");
}

TEST_F(WindowAccessTest, PaceIsTheSpinValueStepsByItsCzechActions) {
    QAccessibleInterface* spin = QAccessible::queryAccessibleInterface(form->QuarnSpinButton1);
    EXPECT_EQ(spin->childCount(), 0) << "one control";
    QAccessibleActionInterface* actions = spin->actionInterface();
    QAccessibleValueInterface* value = spin->valueInterface();
    ASSERT_TRUE(actions && value);
    EXPECT_EQ(actions->actionNames(), (QStringList{spinRaiseAction(), spinLowerAction()}));
    EXPECT_EQ(spinRaiseAction(), QString::fromUtf8("Zvýšit"));
    EXPECT_TRUE(actions->localizedActionDescription(spinLowerAction())
                    .contains(QString::fromUtf8("dolní")));

    // As clicks on the halves: the top one shortens the pause, the bottom one lengthens it;
    // a value asked for is approached by one click.
    const struct {
        std::function<void()> act;
        int pace;
    } steps[] = {
        {[&] { actions->doAction(spinRaiseAction()); }, 4},
        {[&] { actions->doAction(spinLowerAction()); }, 5},
        {[&] { value->setCurrentValue(50); }, 6},
        {[&] { value->setCurrentValue(0); }, 5},
        {[&] { value->setCurrentValue(5); }, 5},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(form->pace(), step.pace);
        EXPECT_EQ(value->currentValue().toInt(), step.pace);
    }
    while (form->pace() > 0)
        actions->doAction(spinRaiseAction());
    actions->doAction(spinRaiseAction()); // stays at 0: nothing to tell
    QStringList told;
    for (const Heard& h : heardOf(form->QuarnSpinButton1, QAccessible::ValueChanged))
        told << h.text;
    EXPECT_EQ(told, (QStringList{"4", "5", "6", "5", "4", "3", "2", "1", "0"}));
}

TEST_F(WindowAccessTest, CountIsAnnouncedAboutOnceASecondAndOnceAtTheEnd) {
    while (form->pace() > 0)
        form->QuarnSpinButton1TopClick(form->QuarnSpinButton1);
    QElapsedTimer deadline;
    deadline.start();
    form->AfterParticle = [&] {
        // Three announcements need two seconds of running at least.
        if (form->running() && (heardOf(form->Label1, QAccessible::TextUpdated).size() >= 3 ||
                                deadline.elapsed() > 60000))
            QTest::mouseClick(form->Button1, Qt::LeftButton);
    };
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    form->AfterParticle = {};
    const std::size_t duringRun = heardOf(form->Label1, QAccessible::TextUpdated).size();
    ASSERT_GE(duringRun, 3u);
    const QString final = form->Label1->text();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return heardOf(form->Label1, QAccessible::TextUpdated).back().text == final; }));
    const auto told = heardOf(form->Label1, QAccessible::TextUpdated);
    for (std::size_t i = 1; i < duringRun; ++i) {
        EXPECT_GE(told[i].at - told[i - 1].at, 999) << i;
        EXPECT_LT(told[i - 1].text.toLongLong(), told[i].text.toLongLong());
    }
    // Once at the end, and nothing more while the count stands.
    EXPECT_LE(told.size(), duringRun + 1);
    form->Label1->repaint();
    form->Button1->repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(heardOf(form->Label1, QAccessible::TextUpdated).size(), told.size());
    QAccessibleTextInterface* counter =
        QAccessible::queryAccessibleInterface(form->Label1)->textInterface();
    EXPECT_EQ(counter->text(0, counter->characterCount()), final);
}

TEST_F(WindowAccessTest, WindowMenuHasAName) {
    auto* lesson = form->findChild<LessonExport*>();
    ASSERT_NE(lesson, nullptr);
    // What a screen reader reads of the menu: its name, and each entry's name and whether it
    // is checked (checkable entries only).
    const auto readMenu = [&] {
        QStringList read;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(menu);
                read << shown->text(QAccessible::Name);
                for (int i = 0; i < shown->childCount(); ++i) {
                    const QAccessibleInterface* entry = shown->child(i);
                    const QAccessible::State state = entry->state();
                    if (entry->role() == QAccessible::Separator) continue;
                    read << entry->text(QAccessible::Name) +
                                (state.checkable ? (state.checked ? " [x]" : " [ ]") : "");
                }
                menu->close();
            }
        });
        closer.start(5);
        lesson->showMenu(form->mapToGlobal(QPoint(40, 300)));
        return read;
    };
    const QStringList read = readMenu();
    EXPECT_EQ(read.value(0), QString::fromUtf8("Data a obrázky"));
    const char* const rows[] = {"Pokusy z návodu", "Načíst parametry ze souboru…",
                                "Zobrazit očekávané rozdělení [ ]", "Velikost pro projektor"};
    for (const char* row : rows)
        EXPECT_TRUE(read.contains(QString::fromUtf8(row)))
            << row << " in " << read.join(", ").toStdString();
    ExpectedOverlay::of(*form, true)->setShown(true);
    EXPECT_TRUE(readMenu().contains(QString::fromUtf8("Zobrazit očekávané rozdělení [x]")));
}

} // namespace
