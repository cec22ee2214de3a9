#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// One button of a ConfirmationDialog:
//   ConfirmationAction { text: "Delete this event only"; destructive: true; onTriggered: … }
class ConfirmationAction : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(bool destructive READ destructive WRITE setDestructive NOTIFY destructiveChanged)
    // The "Cancel" button every dialog ends with.
    Q_PROPERTY(bool isCancel READ isCancel CONSTANT)

public:
    explicit ConfirmationAction(QObject *parent = nullptr);
    static ConfirmationAction *makeCancel(QObject *parent);

    QString text() const { return m_text; }
    void setText(const QString &text);
    bool destructive() const { return m_destructive; }
    void setDestructive(bool destructive);
    bool isCancel() const { return m_isCancel; }

    Q_INVOKABLE void trigger() { emit triggered(); }

signals:
    void textChanged();
    void destructiveChanged();
    void triggered();

private:
    QString m_text;
    bool m_destructive = false;
    bool m_isCancel = false;
};
