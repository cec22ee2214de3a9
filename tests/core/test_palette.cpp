#include "eventpalette.h"
#include "palette.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Dayloom_UiPlugin)

class TestPalette : public QObject
{
    Q_OBJECT

private slots:
    void nineNamedColoursInOrder()
    {
        QStringList entries;
        for (const PaletteColour &entry : palette()) {
            QCOMPARE(entry.colour.alphaF(), 1.0f);
            entries.append(entry.name + u' ' + entry.colour.name());
        }
        const QStringList expected = {
            u"Tomato #d63326"_qs, u"Tangerine #f57d17"_qs, u"Banana #f5bf21"_qs,
            u"Sage #599459"_qs,   u"Peacock #05879e"_qs,   u"Blueberry #2942a6"_qs,
            u"Lavender #7373d9"_qs, u"Grape #6b3399"_qs,   u"Graphite #666666"_qs,
        };
        QCOMPARE(entries, expected);
    }

    void accentColour()
    {
        QCOMPARE(::accentColour().name(), u"#1a73e8"_qs);
        QCOMPARE(::accentColour().alphaF(), 1.0f);
    }

    void defaultNameIsPeacock()
    {
        QCOMPARE(defaultColourName(), u"Peacock"_qs);
        QCOMPARE(::colourNamed(defaultColourName()).name(), u"#05879e"_qs);
    }

    void colourNamed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first") << u"Tomato"_qs << u"#d63326"_qs;
        QTest::newRow("last") << u"Graphite"_qs << u"#666666"_qs;
        QTest::newRow("lower case is no palette name") << u"peacock"_qs << u"#1a73e8"_qs;
        QTest::newRow("empty") << QString() << u"#1a73e8"_qs;
        QTest::newRow("padded") << u" Sage"_qs << u"#1a73e8"_qs;
        QTest::newRow("unknown") << u"Flamingo"_qs << u"#1a73e8"_qs;
    }

    void colourNamed()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(::colourNamed(name).name(), expected);
    }

    void reachableFromQml()
    {
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData(QByteArrayLiteral("import QtQuick\nimport Dayloom.Ui\nQtObject {\n"
                                            "  property var names: EventPalette.names\n"
                                            "  property color second: EventPalette.colours[1]\n"
                                            "  property color unknown: EventPalette.colourNamed(\"peacock\")\n"
                                            "  property string fallback: EventPalette.defaultName\n}\n"),
                          QUrl());
        std::unique_ptr<QObject> object(component.create());
        QVERIFY2(object, qPrintable(component.errorString()));
        QCOMPARE(object->property("names").toStringList().size(), 9);
        QCOMPARE(object->property("names").toStringList().constFirst(), u"Tomato"_qs);
        QCOMPARE(object->property("second").value<QColor>().name(), u"#f57d17"_qs);
        QCOMPARE(object->property("unknown").value<QColor>(), ::accentColour());
        QCOMPARE(object->property("fallback").toString(), u"Peacock"_qs);
    }
};

QTEST_MAIN(TestPalette)
#include "test_palette.moc"
