#include <QFrame>
#include <QLabel>
#include <QtTest>

#include "app/construct.h"
#include "app/qt_window.h"
#include "app/shell.h"
#include "app/surface_copy.h"
#include "app/window_layout.h"

namespace kanimo {

namespace {

QImage grabbed(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The bounds of the pixels in which two grabs differ.
QRect differenceBetween(const QImage& a, const QImage& b) {
    QRect bounds;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

QString spanOf(const QRect& r) {
    return QString("x %1..%2 y %3..%4").arg(r.left()).arg(r.right()).arg(r.top()).arg(r.bottom());
}

// Which face each label was given for the family it asks for.
QString fontsOf(QWidget& w, std::initializer_list<const char*> names) {
    QStringList seen;
    for (const char* name : names) {
        const QFont font = w.findChild<QLabel*>(name)->font();
        seen << QString("%1: %2 for %3").arg(name, QFontInfo(font).family(), font.family());
    }
    return seen.join(", ");
}

} // namespace

class LayoutTest : public QObject {
    Q_OBJECT

  private slots:
    void windowHasItsCaptionPlaceAndSize() {
        Shell shell;
        Tconstruct form(shell);
        QWidget& w = nativeWidget(form.window());
        QCOMPARE(w.objectName(), QString("construct"));
        QCOMPARE(w.windowTitle(), QString("construct"));
        QCOMPARE(w.size(), QSize(748, 658));
        QCOMPARE(w.pos(), QPoint(202, 201));
        QCOMPARE(w.font().family(), QString("MS Sans Serif"));
        QCOMPARE(w.font().pixelSize(), 11);
        QCOMPARE(w.focusPolicy(), Qt::StrongFocus);
    }

    void everyComponentSitsAtItsPlace() {
        Shell shell;
        Tconstruct form(shell);
        QWidget& w = nativeWidget(form.window());
        const WindowLayout& layout = constructLayout();
        QCOMPARE(layout.components.size(), std::size_t{14});
        for (const ComponentLayout& c : layout.components) {
            const QString name = QString::fromStdString(c.name);
            auto* child = w.findChild<QWidget*>(name);
            QVERIFY2(child != nullptr, qPrintable(name));
            QCOMPARE(child->pos(), QPoint(c.left, c.top));
            QCOMPARE(child->isEnabled(), c.enabled);
            QCOMPARE(child->focusPolicy(), Qt::NoFocus);
            if (c.kind == ComponentKind::Label) {
                auto* label = qobject_cast<QLabel*>(child);
                QVERIFY2(label != nullptr, qPrintable(name));
                QCOMPARE(label->text(), QString::fromStdString(c.caption));
                // Sized to its text with whatever font the machine gave, never below the
                // designed size.
                QVERIFY(label->width() >= c.width);
                QVERIFY(label->height() >= c.height);
                QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(label->text()));
            } else {
                QCOMPARE(child->size(), QSize(c.width, c.height));
                if (c.kind == ComponentKind::Bevel) QVERIFY(qobject_cast<QFrame*>(child));
            }
        }
    }

    void disabledLabelsAreTheNumbersAndTheSmallPrint() {
        Shell shell;
        Tconstruct form(shell);
        QWidget& w = nativeWidget(form.window());
        for (const char* name : {"totalcreatures", "debugMessage", "Label6", "Label5", "Label1",
                                 "Label2", "xDebug", "Label3", "yDebug"}) {
            QVERIFY2(!w.findChild<QLabel*>(name)->isEnabled(), name);
        }
        QVERIFY(w.findChild<QLabel*>("Title")->isEnabled());
        QVERIFY(w.findChild<QLabel*>("Label4")->isEnabled());
    }

    void titleAndPromptAskForTheirOwnFonts() {
        Shell shell;
        Tconstruct form(shell);
        QWidget& w = nativeWidget(form.window());
        const QFont title = w.findChild<QLabel*>("Title")->font();
        QCOMPARE(title.family(), QString("Trebuchet MS"));
        QVERIFY(title.bold());
        QCOMPARE(title.pixelSize(), 16);
        const QFont prompt = w.findChild<QLabel*>("Label4")->font();
        QCOMPARE(prompt.family(), QString("Arial"));
        QCOMPARE(prompt.pixelSize(), 11);
        QVERIFY(!prompt.bold());
    }

    void paintBoxAndTitleLieOverTheirBevels() {
        Shell shell;
        Tconstruct form(shell);
        QWidget& w = nativeWidget(form.window());
        QCOMPARE(w.childAt(8, 8), w.findChild<QWidget*>("world"));
        QCOMPARE(w.childAt(608, 608), w.findChild<QWidget*>("world"));
        QCOMPARE(w.childAt(640, 24), w.findChild<QWidget*>("Title"));
    }

    void numberLabelsGrowWithTheirFigures() {
        Shell shell;
        Tconstruct form(shell);
        QWidget& w = nativeWidget(form.window());
        form.debugMessage().setCaption("123456");
        auto* label = w.findChild<QLabel*>("debugMessage");
        QCOMPARE(label->text(), QString("123456"));
        QCOMPARE(form.debugMessage().caption(), std::string("123456"));
        QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance("123456"));
        QCOMPARE(label->pos(), QPoint(616, 216));
    }

    // What the fonts the machine resolves really draw: the ink of a label is where the grab
    // changes when its text is taken away.
    void aFourDigitFigureKeepsClearOfItsCaptionAndTheTitleInsideItsFrame() {
        Shell shell;
        Tconstruct form(shell);
        QWidget& w = nativeWidget(form.window());
        form.debugMessage().setCaption("8888");
        const QImage whole = grabbed(w);
        auto inkOf = [&](const char* name) {
            Label& label = form.window().label(name);
            const std::string caption = label.caption();
            label.setCaption("");
            const QRect ink = differenceBetween(whole, grabbed(w));
            label.setCaption(caption);
            return ink;
        };
        const QRect figure = inkOf("debugMessage");
        const QRect caption = inkOf("Label5");
        const QRect title = inkOf("Title");
        QVERIFY(!figure.isEmpty() && !caption.isEmpty() && !title.isEmpty());
        const QString fonts = fontsOf(w, {"debugMessage", "Label5", "Title"});

        // At least one clear column between the two.
        QVERIFY2(figure.right() + 1 < caption.left(),
                 qPrintable(QString("figure ink %1, caption ink %2; %3")
                                .arg(spanOf(figure), spanOf(caption), fonts)));
        auto* bevel = w.findChild<QFrame*>("Bevel2");
        const QRect inside = bevel->contentsRect().translated(bevel->pos());
        QVERIFY2(inside.contains(title),
                 qPrintable(QString("title ink %1, inside the frame %2; %3")
                                .arg(spanOf(title), spanOf(inside), fonts)));
    }

    void beforeTheRunLoopThePaintBoxShowsTheWindowColour() {
        Shell shell;
        Tconstruct form(shell);
        QWidget& w = nativeWidget(form.window());
        w.show();
        // The paint handler only touches the off-screen picture, which has no size yet.
        w.repaint();
        QCOMPARE(shell.offscreen.width(), 0);
        const Colour face = colourOf(w.palette().color(QPalette::Window).rgb());
        QCOMPARE(form.world().width(), 601);
        QCOMPARE(form.world().height(), 601);
        QCOMPARE(form.world().pixel(0, 0), face);
        QCOMPARE(form.world().pixel(300, 300), face);
        QCOMPARE(form.world().pixel(600, 600), face);
        // Keep the run loop out of it: the window was shown without the test asking for a
        // loop, and a quit makes a late activation end it at once.
        shell.quitRequested = true;
    }
};

} // namespace kanimo

QTEST_MAIN(kanimo::LayoutTest)
#include "layout_test.moc"
