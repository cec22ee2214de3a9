#include "calendartestfixture.h"

#include "memorypreferencebackend.h"
#include "uuid.h"

CalendarTestFixture::CalendarTestFixture(QObject *parent)
    : QObject(parent),
      m_preferences(std::make_unique<Preferences>(std::make_unique<MemoryPreferenceBackend>())),
      m_store(std::make_unique<EventStore>(*m_preferences, nullptr, m_recovery.filePath(QStringLiteral("Recovered"))))
{
}

CalendarTestFixture::~CalendarTestFixture() = default;

QString CalendarTestFixture::addEvent(const QString &title, const QDateTime &start, const QDateTime &end)
{
    CalendarEvent event;
    event.id = Uuid::create();
    event.title = title;
    event.startTime = Instant::fromDateTime(start);
    event.endTime = Instant::fromDateTime(end);
    event.date = m_store->calendar().startOfDay(event.startTime);
    m_store->add(event);
    return event.id;
}

QString CalendarTestFixture::addAllDayEvent(const QString &title, const QDateTime &start, int days)
{
    const Calendar &calendar = m_store->calendar();
    const Instant first = calendar.startOfDay(Instant::fromDateTime(start));
    CalendarEvent event;
    event.id = Uuid::create();
    event.title = title;
    event.isAllDay = true;
    event.startTime = first;
    event.endTime = calendar.addDays(first, days);
    event.date = first;
    m_store->add(event);
    return event.id;
}

QStringList CalendarTestFixture::titles() const
{
    QStringList titles;
    for (const CalendarEvent &event : m_store->events())
        titles.append(event.title);
    return titles;
}

void CalendarTestFixture::setFlag(const QString &key, bool on)
{
    m_preferences->setBool(key, on);
}
