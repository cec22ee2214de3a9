#include "editorshots.h"

#include "eventstore.h"
#include "preferences.h"
#include "sqlitepreferencebackend.h"
#include "uuid.h"

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

namespace {

EventStore &shotStore()
{
    static QTemporaryDir folder;
    static Preferences preferences(
            std::make_unique<SqlitePreferenceBackend>(folder.filePath(QStringLiteral("editor.sqlite"))));
    static EventStore store(preferences, nullptr, folder.filePath(QStringLiteral("recovered")));
    return store;
}

CalendarEvent timedEvent(const Calendar &calendar, const QString &title, QDate day, QTime start, QTime end)
{
    CalendarEvent event;
    event.id = Uuid::create();
    event.title = title;
    event.startTime = calendar.instantAt(day, start);
    event.endTime = calendar.instantAt(day, end);
    event.date = calendar.startOfDay(event.startTime);
    return event;
}

// A stored meeting with notes, a link and two reminders.
QString addMeeting(EventStore &store, const Calendar &calendar)
{
    CalendarEvent event = timedEvent(calendar, QStringLiteral("Design review"), QDate(2024, 3, 14), QTime(14, 0),
                                     QTime(15, 0));
    event.colorName = QStringLiteral("Blueberry");
    event.category = QStringLiteral("Work");
    event.location = QStringLiteral("Room 4B");
    event.notes = QStringLiteral("Bring the printed mock-ups.");
    event.attachment = EventAttachment{QStringLiteral("Agenda"), QStringLiteral("https://docs.google.com/document/d/1x")};
    event.reminderMinutes = {15, 60};
    store.add(event);
    return event.id;
}

// A lecture every Monday and Wednesday of March and April; returns its Wednesday 13 March.
QString addLectureSeries(EventStore &store, const Calendar &calendar)
{
    CalendarEvent lecture = timedEvent(calendar, QStringLiteral("Calculus lecture"), QDate(2024, 3, 4), QTime(10, 0),
                                       QTime(11, 30));
    lecture.colorName = QStringLiteral("Lavender");
    lecture.category = QStringLiteral("Class");
    lecture.location = QStringLiteral("Hall B");
    lecture.instructor = QStringLiteral("Dr. Patel");
    store.addSeries(lecture, RepeatRule::weekly, {2, 4}, calendar.instantAt(QDate(2024, 4, 24)));
    const QDate wednesday(2024, 3, 13);
    for (const CalendarEvent &event : store.events()) {
        if (event.seriesId && calendar.dateOf(event.startTime) == wednesday)
            return event.id;
    }
    return {};
}

}

QList<EditorShot> editorShots(const Calendar &calendar)
{
    EventStore &store = shotStore();
    store.setCalendar(calendar);
    store.clearAll();
    const QString meeting = addMeeting(store, calendar);
    const QString lecture = addLectureSeries(store, calendar);

    const auto shot = [&store](const QString &name, const QString &eventId, const QString &step) {
        return EditorShot{name, {{QStringLiteral("store"), QVariant::fromValue(static_cast<QObject *>(&store))},
                                 {QStringLiteral("eventId"), eventId},
                                 {QStringLiteral("step"), step}}};
    };
    return {
            shot(QStringLiteral("editor-new-event"), QString(), QString()),
            shot(QStringLiteral("editor-new-series"), QString(), QStringLiteral("weeklyClass")),
            shot(QStringLiteral("editor-existing-event"), meeting, QString()),
            shot(QStringLiteral("editor-series-member"), lecture, QStringLiteral("applyToSeries")),
            shot(QStringLiteral("editor-delete-dialog"), lecture, QStringLiteral("delete")),
            shot(QStringLiteral("editor-invalid-link"), QString(), QStringLiteral("invalidLink")),
    };
}

void settleEditorShot(QQuickWindow *)
{
    QEventLoop loop;
    QTimer::singleShot(400, &loop, &QEventLoop::quit);
    loop.exec();
}
