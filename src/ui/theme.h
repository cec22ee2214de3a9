#pragma once

#include <QColor>
#include <QObject>
#include <QtQml/qqmlregistration.h>

// Colours and text styles of the interface, so that no view carries a literal colour or size.
class Theme : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QColor accent READ accent CONSTANT)
    Q_PROPERTY(QColor systemBackground READ systemBackground CONSTANT)
    Q_PROPERTY(QColor primary READ primary CONSTANT)
    Q_PROPERTY(QColor secondary READ secondary CONSTANT)
    Q_PROPERTY(int bodySize READ bodySize CONSTANT)
    Q_PROPERTY(int titleSize READ titleSize CONSTANT)

public:
    explicit Theme(QObject *parent = nullptr);

    QColor accent() const;
    QColor systemBackground() const;
    QColor primary() const;
    QColor secondary() const;
    int bodySize() const { return 17; }
    int titleSize() const { return 28; }
};
