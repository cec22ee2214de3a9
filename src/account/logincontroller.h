#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWindow>
#include <QtQml/qqmlregistration.h>

#include "userstore.h"


// The login screen's state and actions: the two fields, the Google error alert, and the waiting
// state while the browser shows Google's consent page. Created with the screen, so every showing
// starts from empty fields and a closed alert.
class LoginController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(UserStore *userStore READ userStore WRITE setUserStore NOTIFY userStoreChanged)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QString email READ email WRITE setEmail NOTIFY emailChanged)
    Q_PROPERTY(bool showGoogleError READ showGoogleError NOTIFY showGoogleErrorChanged)
    Q_PROPERTY(QString googleErrorMessage READ googleErrorMessage NOTIFY googleErrorMessageChanged)
    Q_PROPERTY(bool waitingForGoogle READ waitingForGoogle NOTIFY waitingForGoogleChanged)

public:
    static inline const QString noWindowMessage =
            QStringLiteral("Couldn't find a window to show the Google sign-in screen from.");

    using QObject::QObject;

    UserStore *userStore() const { return m_userStore; }
    void setUserStore(UserStore *store);
    QString name() const { return m_name; }
    void setName(const QString &name);
    QString email() const { return m_email; }
    void setEmail(const QString &email);
    bool showGoogleError() const { return m_showGoogleError; }
    QString googleErrorMessage() const { return m_googleErrorMessage; }
    bool waitingForGoogle() const { return m_userStore && m_userStore->isSigningInWithGoogle(); }

    // Signs in locally with the typed name ("You" when empty) and e-mail, neither trimmed.
    Q_INVOKABLE void continueWithoutGoogle();
    // Signs in with Google from `window`; without a window the alert says so and nothing starts.
    Q_INVOKABLE void signInWithGoogle(QWindow *window);
    Q_INVOKABLE void cancelGoogleSignIn();
    Q_INVOKABLE void dismissGoogleError();

signals:
    void userStoreChanged();
    void nameChanged();
    void emailChanged();
    void showGoogleErrorChanged();
    void googleErrorMessageChanged();
    void waitingForGoogleChanged();

private:
    void showError(const QString &message);

    QPointer<UserStore> m_userStore;
    QString m_name;
    QString m_email;
    bool m_showGoogleError = false;
    QString m_googleErrorMessage;
};
