#pragma once

#include <QObject>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

class Preferences;

// Binds one bool or integer preference to QML:
//   PreferenceBinding { id: showHolidays; key: "dayloom.showHolidays"; defaultValue: true }
// `value` is the stored value, or `defaultValue` while the key is missing or holds another type;
// assigning `value` stores it with the type of `defaultValue`. Every binding of the key is
// notified when it changes, whoever changed it.
class PreferenceBinding : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString key READ key WRITE setKey NOTIFY keyChanged)
    Q_PROPERTY(QVariant defaultValue READ defaultValue WRITE setDefaultValue NOTIFY defaultValueChanged)
    Q_PROPERTY(QVariant value READ value WRITE setValue NOTIFY valueChanged)

public:
    explicit PreferenceBinding(QObject *parent = nullptr);
    // For C++ users and tests that hold their own store.
    PreferenceBinding(Preferences &preferences, QObject *parent = nullptr);

    QString key() const { return m_key; }
    void setKey(const QString &key);
    QVariant defaultValue() const { return m_defaultValue; }
    void setDefaultValue(const QVariant &defaultValue);
    QVariant value() const;
    void setValue(const QVariant &value);

signals:
    void keyChanged();
    void defaultValueChanged();
    void valueChanged();

private:
    bool isInteger() const;

    Preferences &m_preferences;
    QString m_key;
    QVariant m_defaultValue = false;
};
