#include "symbolimage.h"
#include "symboltable.h"

#include <QFile>
#include <QGuiApplication>
#include <QSvgRenderer>
#include <QTest>

class TestSymbols : public QObject
{
    Q_OBJECT

private slots:
    void everySymbolOfTheInterfaceResolves()
    {
        // The symbols the screens name; each must have its own icon, not the fallback.
        const QStringList used = {
            u"line.3.horizontal"_qs, u"plus"_qs, u"chevron.left"_qs, u"chevron.right"_qs,
            u"calendar"_qs, u"calendar.day.timeline.left"_qs, u"star.circle.fill"_qs,
            u"checkmark.square.fill"_qs, u"square"_qs, u"repeat"_qs, u"checkmark.icloud"_qs,
            u"icloud.slash"_qs, u"paperclip"_qs, u"mappin.and.ellipse"_qs, u"person"_qs,
            u"person.fill"_qs, u"person.crop.circle"_qs, u"gearshape"_qs,
            u"rectangle.portrait.and.arrow.right"_qs, u"g.circle.fill"_qs, u"camera.fill"_qs,
            u"checkmark.circle"_qs, u"checkmark"_qs, u"photo.badge.plus"_qs,
            u"arrow.up.left.and.arrow.down.right"_qs, u"trash"_qs, u"trash.circle.fill"_qs,
            u"xmark.circle.fill"_qs, u"arrow.triangle.2.circlepath"_qs,
        };
        for (const QString &name : used) {
            QVERIFY2(SymbolTable::contains(name), qPrintable(name));
            QVERIFY2(SymbolTable::resourcePath(name) != SymbolTable::fallbackPath(), qPrintable(name));
        }
    }

    void everyIconIsAValidDrawing()
    {
        QStringList paths;
        for (const QString &name : SymbolTable::names())
            paths << SymbolTable::resourcePath(name);
        paths << SymbolTable::fallbackPath();
        for (const QString &path : std::as_const(paths)) {
            QVERIFY2(QFile::exists(path), qPrintable(path));
            QSvgRenderer renderer(path);
            QVERIFY2(renderer.isValid(), qPrintable(path));
            QCOMPARE(renderer.viewBoxF(), QRectF(0, 0, 24, 24));
        }
    }

    void unknownNameWarnsOnceAndFallsBack()
    {
        QTest::ignoreMessage(QtWarningMsg, "Unknown symbol \"calendar.badge.typo\", showing the fallback icon");
        QCOMPARE(SymbolTable::resourcePath(u"calendar.badge.typo"_qs), SymbolTable::fallbackPath());
        // A second lookup stays quiet: QTest fails on an unexpected warning.
        QCOMPARE(SymbolTable::resourcePath(u"calendar.badge.typo"_qs), SymbolTable::fallbackPath());
        QVERIFY(!SymbolTable::contains(u"calendar.badge.typo"_qs));
    }

    void renderingTintsInkAndKeepsCutOutsClear()
    {
        const QColor purple(0xaf, 0x52, 0xde);
        const QImage star = renderSymbol(u"star.circle.fill"_qs, 48, purple);
        QCOMPARE(star.size(), QSize(48, 48));
        // The filled circle's rim takes the colour; the star in its middle is cut out; the
        // corners outside the circle stay transparent.
        const QColor rim = star.pixelColor(24, 4);
        QCOMPARE(rim.alpha(), 255);
        QCOMPARE(rim.rgb(), purple.rgb());
        QCOMPARE(star.pixelColor(24, 24).alpha(), 0);
        QCOMPARE(star.pixelColor(1, 1).alpha(), 0);

        const QImage translucent = renderSymbol(u"star.circle.fill"_qs, 48, QColor(0, 0, 0, 128));
        QVERIFY(qAbs(translucent.pixelColor(24, 4).alpha() - 128) <= 1);
    }
};

QTEST_MAIN(TestSymbols)
#include "test_symbols.moc"
