#pragma once

#include "confirmationaction.h"

#include <QList>
#include <QObject>
#include <QQmlListProperty>
#include <QtQml/qqmlregistration.h>

// The buttons of a ConfirmationDialog in the order they are shown: the destructive actions
// first, then the others, each group in declaration order, and "Cancel" last.
class ConfirmationModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_CLASSINFO("DefaultProperty", "actions")
    Q_PROPERTY(QQmlListProperty<ConfirmationAction> actions READ actions NOTIFY buttonsChanged)
    Q_PROPERTY(QList<ConfirmationAction *> buttons READ buttons NOTIFY buttonsChanged)
    Q_PROPERTY(ConfirmationAction *cancelAction READ cancelAction CONSTANT)

public:
    explicit ConfirmationModel(QObject *parent = nullptr);

    QQmlListProperty<ConfirmationAction> actions();
    QList<ConfirmationAction *> buttons() const;
    ConfirmationAction *cancelAction() const { return m_cancel; }

    void append(ConfirmationAction *action);
    void clear();

signals:
    void buttonsChanged();

private:
    static void appendAction(QQmlListProperty<ConfirmationAction> *list, ConfirmationAction *action);
    static qsizetype actionCount(QQmlListProperty<ConfirmationAction> *list);
    static ConfirmationAction *actionAt(QQmlListProperty<ConfirmationAction> *list, qsizetype index);
    static void clearActions(QQmlListProperty<ConfirmationAction> *list);

    QList<ConfirmationAction *> m_actions;
    ConfirmationAction *m_cancel;
};
