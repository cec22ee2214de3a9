import QtQuick
import QtQuick.Controls
import QtTest
import Dayloom.Account
import Dayloom.AccountTesting

// The login screen driven as a user would, against a user store in memory.
TestCase {
    id: testCase
    name: "LoginView"
    width: 900
    height: 640
    visible: true
    when: windowShown

    Component {
        id: fixtureComponent
        AccountFixture {}
    }

    Component {
        id: viewComponent
        LoginView {
            width: 760
            height: 640
        }
    }

    function open() {
        const fixture = createTemporaryObject(fixtureComponent, testCase)
        const view = createTemporaryObject(viewComponent, testCase, { userStore: fixture.userStore })
        return { fixture: fixture, view: view }
    }

    function find(parent, name) {
        const item = findChild(parent, name)
        verify(item, name)
        return item
    }

    function alertOf(view) {
        return find(view, "googleErrorAlert")
    }

    function type(text) {
        for (const character of text)
            keyClick(character)
    }

    function test_continueWithEmptyFieldsSignsInAsYou() {
        const { fixture, view } = open()
        verify(!fixture.userStore.isLoggedIn)
        mouseClick(find(view, "continueButton"))
        verify(fixture.userStore.isLoggedIn)
        compare(fixture.userStore.profile.name, "You")
        compare(fixture.userStore.profile.email, "")
    }

    function test_continueUsesTheFieldsAsTyped() {
        const { fixture, view } = open()
        mouseClick(find(view, "nameField"))
        type("  Ada ")
        mouseClick(find(view, "emailField"))
        type("Ada@Example.org")
        keyClick(Qt.Key_Return)
        verify(fixture.userStore.isLoggedIn)
        compare(fixture.userStore.profile.name, "  Ada ")
        compare(fixture.userStore.profile.email, "Ada@Example.org")
    }

    // A failure opens the alert with the store's message; after "OK" both buttons work again.
    function test_googleErrorCanBeDismissed() {
        const { fixture, view } = open()
        fixture.failGoogleSignIn("The token request failed.")
        mouseClick(find(view, "googleButton"))
        const alert = alertOf(view)
        tryCompare(alert, "opened", true)
        compare(find(alert.contentItem, "alertTitle").text, "Google Sign-In error")
        compare(find(alert.contentItem, "alertMessage").text,
                "Google sign-in failed: The token request failed. Also double check your Client ID and URL scheme in the Info tab.")
        mouseClick(find(alert.contentItem, "alertOkButton"))
        tryCompare(alert, "visible", false)
        verify(!view.controller.showGoogleError)

        mouseClick(find(view, "googleButton"))
        compare(fixture.googleSignInCount(), 2)
        tryCompare(alert, "opened", true)
        keyClick(Qt.Key_Escape)
        tryCompare(alert, "visible", false)

        mouseClick(find(view, "continueButton"))
        verify(fixture.userStore.isLoggedIn)
    }

    function test_cancelledGoogleSignInShowsNothing() {
        const { fixture, view } = open()
        fixture.cancelGoogleSignIn()
        mouseClick(find(view, "googleButton"))
        compare(fixture.googleSignInCount(), 1)
        wait(20)
        verify(!alertOf(view).visible)
        verify(!fixture.userStore.isLoggedIn)
    }

    function test_withoutAWindowTheAlertSaysSo() {
        const { fixture, view } = open()
        view.controller.signInWithGoogle(null)
        compare(fixture.googleSignInCount(), 0)
        tryCompare(alertOf(view), "opened", true)
        compare(view.controller.googleErrorMessage, "Couldn't find a window to show the Google sign-in screen from.")
    }
}
