#include "datepickermodel.h"

#include "clock.h"

#include <QRegularExpression>

namespace {

constexpr int kShownDays = 42;

std::optional<Instant> instantOf(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return std::nullopt;
    return Instant::fromDateTime(dateTime);
}

// The locale's long date without the weekday and with abbreviated month names:
// "MMM d, yyyy" in the United States, "d. MMM yyyy" in Germany.
QString mediumDateFormat(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::LongFormat);
    static const QRegularExpression weekday(QStringLiteral("^dddd[,\\s]*|[,\\s]*dddd$|dddd"));
    format.remove(weekday);
    format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return format.trimmed();
}

bool usesTwelveHourClock(const QLocale &locale)
{
    return locale.timeFormat(QLocale::ShortFormat).contains(QLatin1Char('a'), Qt::CaseInsensitive);
}

}

DatePickerModel::DatePickerModel(QObject *parent)
    : QObject(parent), m_calendar(Calendar::current())
{
    showMonthOfValue();
    connect(this, &DatePickerModel::valueChanged, this, &DatePickerModel::textChanged);
    connect(this, &DatePickerModel::includesTimeChanged, this, &DatePickerModel::textChanged);
    connect(this, &DatePickerModel::valueChanged, this, &DatePickerModel::timeChanged);
    // The cells show the page, the selected day and the days the bound rules out.
    connect(this, &DatePickerModel::pageChanged, this, &DatePickerModel::daysChanged);
    connect(this, &DatePickerModel::valueChanged, this, &DatePickerModel::daysChanged);
    connect(this, &DatePickerModel::minimumChanged, this, &DatePickerModel::daysChanged);
}

void DatePickerModel::setCalendar(const Calendar &calendar)
{
    m_calendar = calendar;
    showMonthOfValue();
    emit valueChanged();
}

QDateTime DatePickerModel::value() const
{
    return m_value ? m_calendar.localDateTime(*m_value) : QDateTime();
}

void DatePickerModel::setValue(const QDateTime &value)
{
    const std::optional<Instant> instant = instantOf(value);
    if (instant == m_value)
        return;
    m_value = instant;
    if (m_value)
        showMonthOf(valueDate());
    emit valueChanged();
}

QDateTime DatePickerModel::minimum() const
{
    return m_minimum ? m_calendar.localDateTime(*m_minimum) : QDateTime();
}

void DatePickerModel::setMinimum(const QDateTime &minimum)
{
    const std::optional<Instant> instant = instantOf(minimum);
    if (instant == m_minimum)
        return;
    m_minimum = instant;
    emit minimumChanged();
}

void DatePickerModel::setIncludesTime(bool includesTime)
{
    if (m_includesTime == includesTime)
        return;
    m_includesTime = includesTime;
    emit includesTimeChanged();
}

QString DatePickerModel::dateText() const
{
    return m_value ? m_calendar.locale().toString(valueDate(), mediumDateFormat(m_calendar.locale())) : QString();
}

QString DatePickerModel::timeText() const
{
    return m_value ? m_calendar.formatTime(*m_value, QLocale::ShortFormat) : QString();
}

QString DatePickerModel::text() const
{
    if (!m_includesTime || !m_value)
        return dateText();
    return dateText() + QStringLiteral(", ") + timeText();
}

int DatePickerModel::hour() const
{
    return valueTime().hour();
}

int DatePickerModel::minute() const
{
    return valueTime().minute();
}

QString DatePickerModel::monthTitle() const
{
    return m_calendar.locale().standaloneMonthName(m_page.month(), QLocale::LongFormat) + QLatin1Char(' ')
            + QString::number(m_page.year());
}

QStringList DatePickerModel::weekdayLabels() const
{
    QStringList labels;
    for (int i = 0; i < 7; ++i) {
        // Calendar weekdays run 1 (Sunday) to 7; Qt's run 1 (Monday) to 7 (Sunday).
        const int weekday = (m_calendar.firstWeekday() - 1 + i) % 7 + 1;
        const int qtDay = weekday == 1 ? 7 : weekday - 1;
        labels << m_calendar.locale().standaloneDayName(qtDay, QLocale::NarrowFormat);
    }
    return labels;
}

QDate DatePickerModel::firstShownDate() const
{
    const int back = (Calendar::weekdayOf(m_page) - m_calendar.firstWeekday() + 7) % 7;
    return m_page.addDays(-back);
}

QVariantList DatePickerModel::days() const
{
    const QDate first = firstShownDate();
    const QDate today = m_calendar.dateOf(Clock::shared().now());
    const QDate lowest = minimumDate();
    const QDate selected = valueDate();
    QVariantList cells;
    cells.reserve(kShownDays);
    for (int i = 0; i < kShownDays; ++i) {
        const QDate date = first.addDays(i);
        cells << QVariantMap{
            {QStringLiteral("day"), date.day()},
            {QStringLiteral("inMonth"), date.month() == m_page.month()},
            {QStringLiteral("enabled"), !lowest.isValid() || date >= lowest},
            {QStringLiteral("selected"), date == selected},
            {QStringLiteral("today"), date == today},
        };
    }
    return cells;
}

bool DatePickerModel::canShowPreviousMonth() const
{
    const QDate lowest = minimumDate();
    return !lowest.isValid() || m_page.addDays(-1) >= lowest;
}

void DatePickerModel::showPreviousMonth()
{
    if (canShowPreviousMonth())
        showMonthOf(m_page.addMonths(-1));
}

void DatePickerModel::showNextMonth()
{
    showMonthOf(m_page.addMonths(1));
}

void DatePickerModel::showMonthOfValue()
{
    showMonthOf(m_value ? valueDate() : m_calendar.dateOf(Clock::shared().now()));
}

void DatePickerModel::selectDay(int index)
{
    if (index < 0 || index >= kShownDays)
        return;
    choose(firstShownDate().addDays(index), valueTime());
}

void DatePickerModel::moveSelection(int days)
{
    const QDate from = m_value ? valueDate() : m_calendar.dateOf(Clock::shared().now());
    choose(from.addDays(days), valueTime());
}

void DatePickerModel::chooseHour(int hour)
{
    if (hour < 0 || hour > 23)
        return;
    choose(m_value ? valueDate() : m_page, QTime(hour, minute()));
}

void DatePickerModel::chooseMinute(int minute)
{
    if (minute < 0 || minute > 59)
        return;
    choose(m_value ? valueDate() : m_page, QTime(hour(), minute));
}

QString DatePickerModel::hourText(int hour) const
{
    const QString pattern = usesTwelveHourClock(m_calendar.locale()) ? QStringLiteral("h AP") : QStringLiteral("HH");
    return m_calendar.locale().toString(QTime(hour, 0), pattern);
}

QString DatePickerModel::minuteText(int minute) const
{
    return QStringLiteral("%1").arg(minute, 2, 10, QLatin1Char('0'));
}

QDate DatePickerModel::minimumDate() const
{
    return m_minimum ? m_calendar.dateOf(*m_minimum) : QDate();
}

QDate DatePickerModel::valueDate() const
{
    return m_value ? m_calendar.dateOf(*m_value) : QDate();
}

QTime DatePickerModel::valueTime() const
{
    return m_value ? m_calendar.timeOf(*m_value) : QTime(0, 0);
}

Instant DatePickerModel::clamped(Instant t) const
{
    return m_minimum && t < *m_minimum ? *m_minimum : t;
}

void DatePickerModel::choose(QDate date, QTime time)
{
    if (!date.isValid())
        return;
    const Instant chosen = clamped(m_calendar.instantAt(date, time));
    if (m_value == chosen) {
        emit timeChanged();
        return;
    }
    setValue(m_calendar.localDateTime(chosen));
    emit edited();
}

void DatePickerModel::showMonthOf(QDate date)
{
    const QDate first(date.year(), date.month(), 1);
    if (first == m_page)
        return;
    m_page = first;
    emit pageChanged();
}
