#include "confirmationaction.h"

ConfirmationAction::ConfirmationAction(QObject *parent) : QObject(parent) {}

ConfirmationAction *ConfirmationAction::makeCancel(QObject *parent)
{
    auto *cancel = new ConfirmationAction(parent);
    cancel->m_text = QStringLiteral("Cancel");
    cancel->m_isCancel = true;
    return cancel;
}

void ConfirmationAction::setText(const QString &text)
{
    if (m_text == text)
        return;
    m_text = text;
    emit textChanged();
}

void ConfirmationAction::setDestructive(bool destructive)
{
    if (m_destructive == destructive)
        return;
    m_destructive = destructive;
    emit destructiveChanged();
}
