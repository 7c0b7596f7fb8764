#include "platform/plot_widget.h"
#include "platform/qimage_surface.h"

#include <QPainter>
#include <QtTest>

using namespace velquor;

class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

class PlotWidgetTest : public QObject
{
    Q_OBJECT

private slots:
    void resizesTheSurfaceWithTheWidget()
    {
        QImageSurface surface(10, 10);
        PlotWidget widget(surface);
        QSize reported;
        widget.setHandlers({ {}, {}, {}, [&](int w, int h) { reported = QSize(w, h); } });
        widget.resize(445, 364);
        widget.show();
        QTRY_COMPARE(reported, QSize(445, 364));
        QCOMPARE(surface.width(), 445);
        QCOMPARE(surface.height(), 364);
    }

    void forwardsTheMouse()
    {
        QImageSurface surface(100, 100);
        PlotWidget widget(surface);
        widget.resize(100, 100);
        QStringList calls;
        widget.setHandlers({
            [&](int x, int y) { calls << QStringLiteral("down %1 %2").arg(x).arg(y); },
            [&](int x, int y, bool leftOnly) {
                calls << QStringLiteral("move %1 %2 %3").arg(x).arg(y).arg(leftOnly);
            },
            [&] { calls << QStringLiteral("up"); },
            {},
        });
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QTest::mousePress(&widget, Qt::LeftButton, {}, QPoint(10, 20));
        QMouseEvent leftMove(QEvent::MouseMove, QPointF(15, 25),
            widget.mapToGlobal(QPointF(15, 25)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&widget, &leftMove);
        QMouseEvent shiftMove(QEvent::MouseMove, QPointF(16, 26),
            widget.mapToGlobal(QPointF(16, 26)), Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
        QCoreApplication::sendEvent(&widget, &shiftMove);
        QMouseEvent bothMove(QEvent::MouseMove, QPointF(17, 27),
            widget.mapToGlobal(QPointF(17, 27)), Qt::NoButton, Qt::LeftButton | Qt::RightButton,
            Qt::NoModifier);
        QCoreApplication::sendEvent(&widget, &bothMove);
        QTest::mouseRelease(&widget, Qt::LeftButton, {}, QPoint(17, 27));
        QCOMPARE(calls,
            QStringList({ QStringLiteral("down 10 20"), QStringLiteral("move 15 25 1"),
                QStringLiteral("move 16 26 0"), QStringLiteral("move 17 27 0"),
                QStringLiteral("up") }));
    }

    void presentShowsTheSurfaceAtOnce()
    {
        QImageSurface surface(50, 40);
        PlotWidget widget(surface);
        widget.resize(50, 40);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        PaintCounter counter;
        widget.installEventFilter(&counter);
        surface.canvas().setBrushColor(0x0000FF);
        surface.canvas().fillRect(0, 0, 50, 40);
        surface.present(); // a synchronous repaint, before control returns to the event loop
        QCOMPARE(counter.paints, 1);
        QCOMPARE(widget.grab().toImage().pixelColor(25, 20), QColor(255, 0, 0));
    }
};

QTEST_MAIN(PlotWidgetTest)
#include "plot_widget_test.moc"
