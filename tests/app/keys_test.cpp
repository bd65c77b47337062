#include <QtTest>

#include "app/run_loop.h"
#include "app_support.h"
#include "creature/creature.h"
#include "world/population.h"
#include "world/world.h"

namespace kanimo {

using testing::StartedWindow;

class KeysTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void wPausesAndResumes() {
        StartedWindow s;
        QTest::keyClick(&s.widget(), Qt::Key_W);
        QVERIFY(s.shell.paused);
        QTest::keyClick(&s.widget(), Qt::Key_W);
        QVERIFY(!s.shell.paused);
    }

    void lettersWorkInEitherCaseAndWithAnyModifier() {
        StartedWindow s;
        QTest::keyClick(&s.widget(), 'w');
        QVERIFY(s.shell.paused);
        QTest::keyClick(&s.widget(), Qt::Key_W, Qt::ShiftModifier);
        QVERIFY(!s.shell.paused);
        QTest::keyClick(&s.widget(), Qt::Key_W, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(s.shell.paused);
        QTest::keyClick(&s.widget(), 'g');
        QVERIFY(s.shell.fastMode);
    }

    void gSwitchesModeAndBackgroundTogether() {
        StartedWindow s;
        QTest::keyClick(&s.widget(), Qt::Key_G);
        QVERIFY(s.shell.fastMode);
        QVERIFY(s.shell.plainBackground);
        // B chooses the other background, the next G overrules it.
        QTest::keyClick(&s.widget(), Qt::Key_B);
        QVERIFY(!s.shell.plainBackground);
        QTest::keyClick(&s.widget(), Qt::Key_G);
        QVERIFY(!s.shell.fastMode);
        QVERIFY(!s.shell.plainBackground);
        QTest::keyClick(&s.widget(), Qt::Key_B);
        QTest::keyClick(&s.widget(), Qt::Key_G);
        QTest::keyClick(&s.widget(), Qt::Key_G);
        QVERIFY(!s.shell.fastMode);
        QVERIFY(!s.shell.plainBackground);
    }

    void bShowsTheBackgroundInForceAt8And8ThenSwitchesIt() {
        StartedWindow s;
        runPass(s.shell, s.form); // a frame at (2, 2)
        PaintBox& box = s.form.world();
        const Colour stripBefore = box.pixel(5, 300);
        const Colour cornerBefore = box.pixel(1, 1);

        QTest::keyClick(&s.widget(), Qt::Key_B);
        const Picture gradient = testing::backgroundPicture(false);
        for (int y : {0, 100, 300, 590}) {
            for (int x : {0, 250, 592}) QCOMPARE(box.pixel(8 + x, 8 + y), gradient.pixel(x, y));
        }
        // The strip along the top and left keeps what the last frame left there.
        QCOMPARE(box.pixel(5, 300), stripBefore);
        QCOMPARE(box.pixel(1, 1), cornerBefore);
        QVERIFY(s.shell.plainBackground);

        QTest::keyClick(&s.widget(), Qt::Key_B);
        QCOMPARE(box.pixel(8, 8), Colour{0x00808080});
        QCOMPARE(box.pixel(600, 600), Colour{0x00808080});
        QCOMPARE(box.pixel(5, 300), stripBefore);
        QVERIFY(!s.shell.plainBackground);
    }

    void bWhilePausedLeavesTheBareBackgroundUntilFramesResume() {
        StartedWindow s;
        QTest::keyClick(&s.widget(), Qt::Key_W);
        QTest::keyClick(&s.widget(), Qt::Key_B);
        runPass(s.shell, s.form);
        runPass(s.shell, s.form);
        const Picture gradient = testing::backgroundPicture(false);
        QCOMPARE(s.form.world().pixel(8, 8), gradient.pixel(0, 0));
        QCOMPARE(s.form.world().pixel(8, 300), gradient.pixel(0, 292));
    }

    void dRemovesTheHeadOfTheList() {
        StartedWindow s;
        World& world = s.shell.world;
        const int before = world.creatures.size();
        QVERIFY(before > 1);
        const Creature* second = world.creatures.head()->next;
        QTest::keyClick(&s.widget(), Qt::Key_D);
        QCOMPARE(world.creatures.head(), second);
        QCOMPARE(world.creatures.size(), before - 1);
        // The count is the last cull's; D leaves it alone.
        QCOMPARE(s.form.totalcreatures().caption(), std::string());
    }

    void dOnAnEmptyListDoesNothing() {
        StartedWindow s;
        s.shell.world.creatures.clear();
        QTest::keyClick(&s.widget(), Qt::Key_D);
        QVERIFY(s.shell.world.creatures.head() == nullptr);
    }

    void dBeforeTheRunLoopDoesNothing() {
        Shell shell;
        Tconstruct form(shell);
        seedWorld(shell.world);
        const int before = shell.world.creatures.size();
        QTest::keyClick(&nativeWidget(form.window()), Qt::Key_D);
        QCOMPARE(shell.world.creatures.size(), before);
    }

    void escQuitsAndClosesTheWindow() {
        StartedWindow s;
        s.widget().show();
        QVERIFY(s.widget().isVisible());
        QTest::keyClick(&s.widget(), Qt::Key_Escape);
        QVERIFY(s.shell.quitRequested);
        QVERIFY(!s.widget().isVisible());
    }

    void closingTheWindowRequestsAQuit() {
        StartedWindow s;
        s.widget().show();
        s.widget().close();
        QVERIFY(s.shell.quitRequested);
    }

    void homeShowsTheInformationBox() {
        StartedWindow s;
        testing::MessageBoxSeen seen;
        testing::answerNextMessageBox(seen);
        QTest::keyClick(&s.widget(), Qt::Key_Home);
        QVERIFY(seen.seen);
        QCOMPARE(seen.caption, QString("Information"));
        QCOMPARE(seen.text, QString("36"));
        QCOMPARE(seen.icon, QMessageBox::Information);
        QCOMPARE(seen.buttons, QStringList{"OK"});
        QVERIFY(!s.shell.quitRequested);
        QVERIFY(!s.shell.paused);
    }

    void otherKeysChangeNothing() {
        StartedWindow s;
        const int before = s.shell.world.creatures.size();
        for (Qt::Key key : {Qt::Key_S, Qt::Key_Left, Qt::Key_Right, Qt::Key_Space, Qt::Key_End,
                            Qt::Key_F1, Qt::Key_Return}) {
            QTest::keyClick(&s.widget(), key);
        }
        const Shell& sh = s.shell;
        QVERIFY(!sh.quitRequested && !sh.paused && !sh.fastMode && !sh.plainBackground);
        QCOMPARE(s.shell.world.creatures.size(), before);
    }
};

} // namespace kanimo

QTEST_MAIN(kanimo::KeysTest)
#include "keys_test.moc"
