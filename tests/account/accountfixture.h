#pragma once

#include "fakegooglesignin.h"
#include "memorypreferencebackend.h"
#include "userstore.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <memory>

// A user store on preferences in memory with a Google client whose answers the test chooses,
// for the login screen's QML tests:
//   AccountFixture { id: fixture }
//   LoginView { userStore: fixture.userStore }
class AccountFixture : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(UserStore *userStore READ userStore CONSTANT)

public:
    explicit AccountFixture(QObject *parent = nullptr)
        : QObject(parent),
          m_preferences(std::make_unique<MemoryPreferenceBackend>()),
          m_store(std::make_unique<UserStore>(m_preferences, m_google))
    {
    }

    UserStore *userStore() const { return m_store.get(); }

    // Later Google sign-ins fail with `message`, or are cancelled by the user.
    Q_INVOKABLE void failGoogleSignIn(const QString &message)
    {
        m_google.setSignInResult(GoogleSignInError{GoogleSignInError::unknownCode, message});
    }
    Q_INVOKABLE void cancelGoogleSignIn()
    {
        m_google.setSignInResult(GoogleSignInError{GoogleSignInError::cancelledCode, QStringLiteral("Cancelled.")});
    }
    Q_INVOKABLE int googleSignInCount() const { return m_google.signInCount(); }

private:
    Preferences m_preferences;
    FakeGoogleSignInClient m_google;
    std::unique_ptr<UserStore> m_store;
};
