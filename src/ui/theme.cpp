#include "theme.h"

#include "palette.h"

#include <QtMath>

namespace {

struct StyleMetrics
{
    int size;
    QFont::Weight weight;
};

StyleMetrics metricsOf(Theme::TextStyle style)
{
    switch (style) {
    case Theme::LargeTitle: return {34, QFont::Normal};
    case Theme::Title: return {28, QFont::Normal};
    case Theme::Title2: return {22, QFont::Normal};
    case Theme::Title3: return {20, QFont::Normal};
    case Theme::Headline: return {17, QFont::DemiBold};
    case Theme::Body: return {17, QFont::Normal};
    case Theme::Callout: return {16, QFont::Normal};
    case Theme::Subheadline: return {15, QFont::Normal};
    case Theme::Footnote: return {13, QFont::Normal};
    case Theme::Caption: return {12, QFont::Normal};
    case Theme::Caption2: return {11, QFont::Normal};
    }
    return {17, QFont::Normal};
}

// iOS-style label colours are a blue-grey at reduced opacity.
QColor labelGrey(float opacity)
{
    return QColor::fromRgbF(0.24f, 0.24f, 0.26f, opacity);
}

}

Theme::Theme(QObject *parent) : QObject(parent) {}

QColor Theme::accent() const
{
    return accentColour();
}

QColor Theme::systemBackground() const
{
    return QColor(0xff, 0xff, 0xff);
}

QColor Theme::groupedBackground() const
{
    return QColor(0xf2, 0xf2, 0xf7);
}

QColor Theme::primary() const
{
    return QColor(0x00, 0x00, 0x00);
}

QColor Theme::secondary() const
{
    return labelGrey(0.6f);
}

QColor Theme::tertiary() const
{
    return labelGrey(0.3f);
}

QColor Theme::separator() const
{
    return labelGrey(0.29f);
}

QColor Theme::gray4() const
{
    return QColor(0xd1, 0xd1, 0xd6);
}

QColor Theme::gray5() const
{
    return QColor(0xe5, 0xe5, 0xea);
}

QColor Theme::red() const
{
    return QColor(0xff, 0x3b, 0x30);
}

QColor Theme::green() const
{
    return QColor(0x34, 0xc7, 0x59);
}

QColor Theme::purple() const
{
    return QColor(0xaf, 0x52, 0xde);
}

QColor Theme::white() const
{
    return QColor(0xff, 0xff, 0xff);
}

QColor Theme::dimming() const
{
    return QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.2f);
}

QFont Theme::font(TextStyle style, int weight) const
{
    const StyleMetrics metrics = metricsOf(style);
    return systemFont(metrics.size, weight >= 0 ? weight : metrics.weight);
}

QFont Theme::systemFont(qreal size, int weight) const
{
    QFont result;
    result.setPixelSize(qMax(1, qRound(size)));
    result.setWeight(QFont::Weight(weight));
    return result;
}
