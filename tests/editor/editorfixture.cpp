#include "editorfixture.h"

#include "clock.h"

EditorFixture::EditorFixture(QObject *parent)
    : QObject(parent),
      m_preferences(std::make_unique<Preferences>(std::make_unique<MemoryPreferenceBackend>())),
      m_store(std::make_unique<EventStore>(*m_preferences)),
      m_scheduler(std::make_unique<NotificationScheduler>(m_center, *m_preferences, Clock::shared(),
                                                          Calendar::current()))
{
    NotificationCenter::setShared(&m_center);
    NotificationScheduler::setShared(m_scheduler.get());
}

EditorFixture::~EditorFixture()
{
    NotificationScheduler::setShared(nullptr);
    NotificationCenter::setShared(nullptr);
}

QString EditorFixture::addEvent(const QString &title, const QDateTime &start, const QDateTime &end)
{
    const Calendar &calendar = m_store->calendar();
    const Instant startTime = Instant::fromDateTime(start);
    const CalendarEvent event = storedEvent(title, calendar.startOfDay(startTime), startTime, Instant::fromDateTime(end));
    m_store->add(event);
    return event.id;
}

QString EditorFixture::addDailySeries(const QString &title, const QDateTime &start, const QDateTime &end, int days)
{
    const Calendar &calendar = m_store->calendar();
    const Instant startTime = Instant::fromDateTime(start);
    const CalendarEvent first = storedEvent(title, calendar.startOfDay(startTime), startTime, Instant::fromDateTime(end));
    const qsizetype before = m_store->events().size();
    m_store->addSeries(first, RepeatRule::daily, {}, calendar.addDays(startTime, days - 1));
    return m_store->events().at(before).id;
}

QVariantMap EditorFixture::event(const QString &id) const
{
    for (const CalendarEvent &event : m_store->events()) {
        if (event.id != id)
            continue;
        return {
                {QStringLiteral("title"), event.title},
                {QStringLiteral("location"), event.location},
                {QStringLiteral("instructor"), event.instructor},
                {QStringLiteral("colorName"), event.colorName},
                {QStringLiteral("reminderMinutes"), QVariant::fromValue(event.reminderMinutes)},
        };
    }
    return {};
}

QStringList EditorFixture::titles() const
{
    QStringList titles;
    for (const CalendarEvent &event : m_store->events())
        titles.append(event.title);
    return titles;
}
