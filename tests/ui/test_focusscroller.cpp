#include "focusscroller.h"

#include <QTest>

class TestFocusScroller : public QObject
{
    Q_OBJECT

private slots:
    void scrollsJustEnoughToShowTheFocusedItem_data()
    {
        QTest::addColumn<qreal>("contentY");
        QTest::addColumn<qreal>("top");
        QTest::addColumn<qreal>("bottom");
        QTest::addColumn<qreal>("expected");
        // A view of 500 over content 2000 high, with a margin of 10.
        QTest::newRow("visible: stays") << 100.0 << 200.0 << 244.0 << 100.0;
        QTest::newRow("below: bottom comes into view") << 100.0 << 700.0 << 744.0 << 254.0;
        QTest::newRow("above: top comes into view") << 600.0 << 300.0 << 344.0 << 290.0;
        QTest::newRow("taller than the view: its top shows") << 0.0 << 800.0 << 1500.0 << 790.0;
        QTest::newRow("near the start: not before the content") << 300.0 << 4.0 << 40.0 << 0.0;
        QTest::newRow("near the end: not past the content") << 0.0 << 1960.0 << 1998.0 << 1500.0;
    }

    void scrollsJustEnoughToShowTheFocusedItem()
    {
        QFETCH(qreal, contentY);
        QFETCH(qreal, top);
        QFETCH(qreal, bottom);
        QFETCH(qreal, expected);
        QCOMPARE(FocusScroller::contentYShowing(contentY, 500, 2000, top, bottom, 10), expected);
    }

    void contentShorterThanTheViewNeverScrolls()
    {
        QCOMPARE(FocusScroller::contentYShowing(0, 500, 300, 250, 290, 10), 0.0);
    }
};

QTEST_MAIN(TestFocusScroller)
#include "test_focusscroller.moc"
