#include "calendarshots.h"

#include "calendarscreen.h"

#include <QCoreApplication>
#include <QQuickWindow>

namespace {

struct Fixture
{
    const Calendar &calendar;
    QList<CalendarEvent> events;

    CalendarEvent &timed(const QString &title, QDate day, QTime start, QDate endDay, QTime end,
                         const QString &colour = QStringLiteral("Peacock"))
    {
        CalendarEvent event;
        event.id = QStringLiteral("00000000-0000-4000-8000-%1").arg(events.size() + 1, 12, 10, QLatin1Char('0'));
        event.title = title;
        event.startTime = calendar.instantAt(day, start);
        event.endTime = calendar.instantAt(endDay, end);
        event.date = calendar.startOfDay(event.startTime);
        event.colorName = colour;
        events.append(event);
        return events.last();
    }

    CalendarEvent &timed(const QString &title, QDate day, QTime start, QTime end, const QString &colour = QStringLiteral("Peacock"))
    {
        return timed(title, day, start, day, end, colour);
    }

    CalendarEvent &allDay(const QString &title, QDate first, int days, const QString &colour)
    {
        CalendarEvent &event = timed(title, first, QTime(0, 0), first.addDays(days), QTime(0, 0), colour);
        event.isAllDay = true;
        return event;
    }
};

CalendarScreen *screenOf(QQuickWindow *window)
{
    return window ? window->findChild<CalendarScreen *>(QStringLiteral("calendarScreen")) : nullptr;
}

}

QList<CalendarEvent> calendarFixtureEvents(const Calendar &calendar)
{
    Fixture f{calendar, {}};
    const QDate today(2024, 3, 13);
    f.allDay(QStringLiteral("Mom's birthday"), QDate(2024, 3, 6), 1, QStringLiteral("Tangerine"));
    f.allDay(QStringLiteral("Spring break"), QDate(2024, 3, 18), 5, QStringLiteral("Sage"));
    f.timed(QStringLiteral("Dentist"), QDate(2024, 3, 4), QTime(8, 30), QTime(9, 30), QStringLiteral("Graphite"));
    f.timed(QStringLiteral("Book club"), QDate(2024, 3, 7), QTime(19, 0), QTime(20, 30), QStringLiteral("Grape"));
    f.timed(QStringLiteral("Standup"), today, QTime(9, 0), QTime(9, 15));
    f.timed(QStringLiteral("Design review"), today, QTime(14, 0), QTime(15, 0), QStringLiteral("Blueberry"));

    // The selected day: a class in a series, a synchronised lunch and a deadline with a link.
    const QDate selected(2024, 3, 15);
    CalendarEvent &lecture = f.timed(QStringLiteral("Calculus lecture"), selected, QTime(10, 0), QTime(11, 30), QStringLiteral("Lavender"));
    lecture.category = QStringLiteral("Class");
    lecture.location = QStringLiteral("Room 204");
    lecture.instructor = QStringLiteral("Dr. Patel");
    lecture.seriesId = QStringLiteral("00000000-0000-4000-8000-00000000AAAA");
    CalendarEvent &lunch = f.timed(QStringLiteral("Lunch with Sam"), selected, QTime(12, 30), QTime(13, 30), QStringLiteral("Banana"));
    lunch.googleEventId = QStringLiteral("g-lunch");
    lunch.isDirty = false;
    CalendarEvent &deadline = f.timed(QStringLiteral("Project deadline"), selected, QTime(17, 0), QTime(18, 0), QStringLiteral("Tomato"));
    deadline.notes = QStringLiteral("Submit the report and the slides.");
    deadline.attachment = EventAttachment{QStringLiteral("Report draft"), QStringLiteral("https://drive.google.com/file/d/report")};

    // St. Patrick's Day with more events than its cell holds.
    const QDate overflowing(2024, 3, 17);
    f.timed(QStringLiteral("Parade"), overflowing, QTime(11, 0), QTime(13, 0), QStringLiteral("Sage"));
    f.timed(QStringLiteral("Brunch"), overflowing, QTime(13, 30), QTime(14, 30), QStringLiteral("Banana"));
    f.timed(QStringLiteral("Call Grandma"), overflowing, QTime(16, 0), QTime(16, 30));
    f.timed(QStringLiteral("Laundry"), overflowing, QTime(18, 0), QTime(19, 0), QStringLiteral("Graphite"));
    f.timed(QStringLiteral("Movie night"), overflowing, QTime(20, 0), QTime(22, 0), QStringLiteral("Grape"));
    f.timed(QStringLiteral("Easter lunch"), QDate(2024, 3, 31), QTime(12, 0), QTime(14, 0), QStringLiteral("Tangerine"));

    // The busy Thursday of the day timeline.
    const QDate busy(2024, 3, 14);
    f.allDay(QStringLiteral("Science fair week"), QDate(2024, 3, 11), 5, QStringLiteral("Sage"));
    f.allDay(QStringLiteral("Pi Day"), busy, 1, QStringLiteral("Tangerine"));
    f.timed(QStringLiteral("Overnight shift"), busy.addDays(-1), QTime(22, 0), busy, QTime(8, 0), QStringLiteral("Graphite"));
    f.timed(QStringLiteral("Team sync"), busy, QTime(9, 0), QTime(10, 0));
    CalendarEvent &review = f.timed(QStringLiteral("Code review"), busy, QTime(9, 30), QTime(10, 30), QStringLiteral("Blueberry"));
    review.location = QStringLiteral("Room 3B");
    f.timed(QStringLiteral("Coffee with Ana"), busy, QTime(10, 0), QTime(11, 0), QStringLiteral("Banana"));
    CalendarEvent &seminar = f.timed(QStringLiteral("Physics seminar"), busy, QTime(12, 0), QTime(13, 30), QStringLiteral("Lavender"));
    seminar.category = QStringLiteral("Class");
    seminar.location = QStringLiteral("Hall A");
    seminar.instructor = QStringLiteral("Prof. Okafor");
    f.timed(QStringLiteral("Lunch"), busy, QTime(12, 15), QTime(13, 0), QStringLiteral("Tangerine"));
    f.timed(QStringLiteral("Quick call"), busy, QTime(12, 30), QTime(12, 40), QStringLiteral("Tomato"));
    f.timed(QStringLiteral("Gym"), busy, QTime(15, 0), QTime(16, 0), QStringLiteral("Sage"));
    f.timed(QStringLiteral("Late show"), busy, QTime(23, 0), busy.addDays(1), QTime(1, 0), QStringLiteral("Grape"));
    return f.events;
}

void showFixtureMonth(QQuickWindow *window, const Calendar &calendar)
{
    if (CalendarScreen *screen = screenOf(window)) {
        screen->setMode(Mode::Month);
        screen->setSelected(calendar.instantAt(QDate(2024, 3, 15), QTime(10, 0)));
    }
}

void showFixtureToday(QQuickWindow *window, const Calendar &calendar)
{
    if (CalendarScreen *screen = screenOf(window)) {
        screen->setSelected(calendar.instantAt(QDate(2024, 3, 13), QTime(10, 0)));
        screen->setMode(Mode::Day);
    }
}

void showFixtureNight(QQuickWindow *window, const Calendar &calendar)
{
    showFixtureDay(window, calendar);
    // The timeline scrolls to the working hours once it is shown; scroll back up after that.
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (QObject *timeline = window->findChild<QObject *>(QStringLiteral("timeline")))
        timeline->setProperty("contentY", -timeline->property("topMargin").toDouble());
}

void showFixtureDay(QQuickWindow *window, const Calendar &calendar)
{
    if (CalendarScreen *screen = screenOf(window)) {
        screen->setSelected(calendar.instantAt(QDate(2024, 3, 14), QTime(10, 0)));
        screen->setMode(Mode::Day);
    }
}
