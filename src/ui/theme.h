#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QtQml/qqmlregistration.h>

// Colours, text styles and a few metrics of the interface, so that no view carries a literal
// colour or font size. Sizes are device-independent pixels; colours are the light appearance.
//   Label { font: Theme.headline; color: Theme.secondary }
//   Label { font: Theme.font(Theme.Subheadline, Font.DemiBold) }
class Theme : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(QColor accent READ accent CONSTANT)
    Q_PROPERTY(QColor systemBackground READ systemBackground CONSTANT)
    Q_PROPERTY(QColor groupedBackground READ groupedBackground CONSTANT)
    Q_PROPERTY(QColor primary READ primary CONSTANT)
    Q_PROPERTY(QColor secondary READ secondary CONSTANT)
    Q_PROPERTY(QColor tertiary READ tertiary CONSTANT)
    Q_PROPERTY(QColor separator READ separator CONSTANT)
    Q_PROPERTY(QColor gray4 READ gray4 CONSTANT)
    Q_PROPERTY(QColor gray5 READ gray5 CONSTANT)
    Q_PROPERTY(QColor red READ red CONSTANT)
    Q_PROPERTY(QColor green READ green CONSTANT)
    Q_PROPERTY(QColor purple READ purple CONSTANT)
    Q_PROPERTY(QColor white READ white CONSTANT)
    Q_PROPERTY(QColor dimming READ dimming CONSTANT)

    Q_PROPERTY(QFont largeTitle READ largeTitle CONSTANT)
    Q_PROPERTY(QFont title READ title CONSTANT)
    Q_PROPERTY(QFont title2 READ title2 CONSTANT)
    Q_PROPERTY(QFont title3 READ title3 CONSTANT)
    Q_PROPERTY(QFont headline READ headline CONSTANT)
    Q_PROPERTY(QFont body READ body CONSTANT)
    Q_PROPERTY(QFont callout READ callout CONSTANT)
    Q_PROPERTY(QFont subheadline READ subheadline CONSTANT)
    Q_PROPERTY(QFont footnote READ footnote CONSTANT)
    Q_PROPERTY(QFont caption READ caption CONSTANT)
    Q_PROPERTY(QFont caption2 READ caption2 CONSTANT)
    Q_PROPERTY(int bodySize READ bodySize CONSTANT)
    Q_PROPERTY(int titleSize READ titleSize CONSTANT)

    Q_PROPERTY(int standardPadding READ standardPadding CONSTANT)
    Q_PROPERTY(int rowHeight READ rowHeight CONSTANT)
    Q_PROPERTY(int groupCornerRadius READ groupCornerRadius CONSTANT)

public:
    enum TextStyle {
        LargeTitle,
        Title,
        Title2,
        Title3,
        Headline,
        Body,
        Callout,
        Subheadline,
        Footnote,
        Caption,
        Caption2,
    };
    Q_ENUM(TextStyle)

    explicit Theme(QObject *parent = nullptr);

    QColor accent() const;
    QColor systemBackground() const;
    // The grey behind grouped form sections.
    QColor groupedBackground() const;
    QColor primary() const;
    QColor secondary() const;
    QColor tertiary() const;
    QColor separator() const;
    QColor gray4() const;
    QColor gray5() const;
    QColor red() const;
    QColor green() const;
    QColor purple() const;
    QColor white() const;
    // The veil behind modal sheets and dialogs.
    QColor dimming() const;

    // A text style, optionally with another weight (a QFont::Weight, Font.* in QML; -1 keeps it).
    Q_INVOKABLE QFont font(TextStyle style, int weight = -1) const;
    // The system font at a size no text style covers, for the few places that need one.
    Q_INVOKABLE QFont systemFont(qreal size, int weight = QFont::Normal) const;

    QFont largeTitle() const { return font(LargeTitle); }
    QFont title() const { return font(Title); }
    QFont title2() const { return font(Title2); }
    QFont title3() const { return font(Title3); }
    QFont headline() const { return font(Headline); }
    QFont body() const { return font(Body); }
    QFont callout() const { return font(Callout); }
    QFont subheadline() const { return font(Subheadline); }
    QFont footnote() const { return font(Footnote); }
    QFont caption() const { return font(Caption); }
    QFont caption2() const { return font(Caption2); }
    int bodySize() const { return 17; }
    int titleSize() const { return 28; }

    int standardPadding() const { return 16; }
    int rowHeight() const { return 44; }
    int groupCornerRadius() const { return 10; }
};
