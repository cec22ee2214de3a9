#include "logincontroller.h"

#include <QWindow>

void LoginController::setUserStore(UserStore *store)
{
    if (m_userStore == store)
        return;
    if (m_userStore)
        disconnect(m_userStore, nullptr, this, nullptr);
    m_userStore = store;
    if (m_userStore)
        connect(m_userStore, &UserStore::isSigningInWithGoogleChanged, this, &LoginController::waitingForGoogleChanged);
    emit userStoreChanged();
    emit waitingForGoogleChanged();
}

void LoginController::setName(const QString &name)
{
    if (m_name == name)
        return;
    m_name = name;
    emit nameChanged();
}

void LoginController::setEmail(const QString &email)
{
    if (m_email == email)
        return;
    m_email = email;
    emit emailChanged();
}

void LoginController::continueWithoutGoogle()
{
    if (!m_userStore)
        return;
    m_userStore->continueWithoutGoogle(m_name.isEmpty() ? UserStore::defaultName : m_name, m_email);
}

void LoginController::signInWithGoogle(QWindow *window)
{
    if (!m_userStore)
        return;
    if (!window) {
        showError(noWindowMessage);
        return;
    }
    const QPointer<LoginController> self(this);
    m_userStore->signInWithGoogle(window, [self](const QString &message) {
        if (self)
            self->showError(message);
    });
}

void LoginController::cancelGoogleSignIn()
{
    if (m_userStore)
        m_userStore->cancelGoogleSignIn();
}

void LoginController::dismissGoogleError()
{
    if (!m_showGoogleError)
        return;
    m_showGoogleError = false;
    emit showGoogleErrorChanged();
}

void LoginController::showError(const QString &message)
{
    if (m_googleErrorMessage != message) {
        m_googleErrorMessage = message;
        emit googleErrorMessageChanged();
    }
    if (!m_showGoogleError) {
        m_showGoogleError = true;
        emit showGoogleErrorChanged();
    }
}
