#include "confirmationmodel.h"

ConfirmationModel::ConfirmationModel(QObject *parent)
    : QObject(parent), m_cancel(ConfirmationAction::makeCancel(this))
{
}

QQmlListProperty<ConfirmationAction> ConfirmationModel::actions()
{
    return {this, nullptr, &appendAction, &actionCount, &actionAt, &clearActions};
}

QList<ConfirmationAction *> ConfirmationModel::buttons() const
{
    QList<ConfirmationAction *> ordered;
    for (ConfirmationAction *action : m_actions) {
        if (action->destructive())
            ordered << action;
    }
    for (ConfirmationAction *action : m_actions) {
        if (!action->destructive())
            ordered << action;
    }
    ordered << m_cancel;
    return ordered;
}

void ConfirmationModel::append(ConfirmationAction *action)
{
    if (!action)
        return;
    m_actions << action;
    connect(action, &ConfirmationAction::destructiveChanged, this, &ConfirmationModel::buttonsChanged);
    emit buttonsChanged();
}

void ConfirmationModel::clear()
{
    for (ConfirmationAction *action : std::as_const(m_actions))
        disconnect(action, nullptr, this, nullptr);
    m_actions.clear();
    emit buttonsChanged();
}

void ConfirmationModel::appendAction(QQmlListProperty<ConfirmationAction> *list, ConfirmationAction *action)
{
    static_cast<ConfirmationModel *>(list->object)->append(action);
}

qsizetype ConfirmationModel::actionCount(QQmlListProperty<ConfirmationAction> *list)
{
    return static_cast<ConfirmationModel *>(list->object)->m_actions.size();
}

ConfirmationAction *ConfirmationModel::actionAt(QQmlListProperty<ConfirmationAction> *list, qsizetype index)
{
    return static_cast<ConfirmationModel *>(list->object)->m_actions.value(index);
}

void ConfirmationModel::clearActions(QQmlListProperty<ConfirmationAction> *list)
{
    static_cast<ConfirmationModel *>(list->object)->clear();
}
