#pragma once

#include "calendar.h"

#include <QDateTime>
#include <QObject>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

// The state and rules behind DateField and DateTimeField: the value with its optional lower
// bound, its text in the user's locale, and the month page the popup calendar shows.
// Choices made through the invokables never go below `minimum` and announce themselves with
// edited(); assigning `value` from outside takes it as it is.
class DatePickerModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QDateTime value READ value WRITE setValue NOTIFY valueChanged)
    // No bound while invalid.
    Q_PROPERTY(QDateTime minimum READ minimum WRITE setMinimum NOTIFY minimumChanged)
    Q_PROPERTY(bool includesTime READ includesTime WRITE setIncludesTime NOTIFY includesTimeChanged)
    Q_PROPERTY(QString dateText READ dateText NOTIFY valueChanged)
    Q_PROPERTY(QString timeText READ timeText NOTIFY valueChanged)
    Q_PROPERTY(QString text READ text NOTIFY textChanged)
    Q_PROPERTY(int hour READ hour NOTIFY timeChanged)
    Q_PROPERTY(int minute READ minute NOTIFY timeChanged)
    Q_PROPERTY(QString monthTitle READ monthTitle NOTIFY pageChanged)
    Q_PROPERTY(QStringList weekdayLabels READ weekdayLabels CONSTANT)
    // 42 cells, six weeks from the first weekday on or before the 1st of the shown month:
    // { day, inMonth, enabled, selected, today }.
    Q_PROPERTY(QVariantList days READ days NOTIFY daysChanged)
    Q_PROPERTY(bool canShowPreviousMonth READ canShowPreviousMonth NOTIFY daysChanged)

public:
    explicit DatePickerModel(QObject *parent = nullptr);

    // The calendar of the user by default; tests pass their own.
    void setCalendar(const Calendar &calendar);

    QDateTime value() const;
    void setValue(const QDateTime &value);
    QDateTime minimum() const;
    void setMinimum(const QDateTime &minimum);
    bool includesTime() const { return m_includesTime; }
    void setIncludesTime(bool includesTime);

    QString dateText() const;
    QString timeText() const;
    QString text() const;
    int hour() const;
    int minute() const;

    QString monthTitle() const;
    QStringList weekdayLabels() const;
    QVariantList days() const;
    bool canShowPreviousMonth() const;
    QDate shownMonth() const { return m_page; }

    Q_INVOKABLE void showPreviousMonth();
    Q_INVOKABLE void showNextMonth();
    // Brings the page back to the month of the value (or of today while there is no value).
    Q_INVOKABLE void showMonthOfValue();

    // User choices, each kept at or above `minimum`.
    Q_INVOKABLE void selectDay(int index);
    Q_INVOKABLE void moveSelection(int days);
    Q_INVOKABLE void chooseHour(int hour);
    Q_INVOKABLE void chooseMinute(int minute);

    // Labels of the hour and minute choices in the user's locale ("2 PM" or "14", "05").
    Q_INVOKABLE QString hourText(int hour) const;
    Q_INVOKABLE QString minuteText(int minute) const;

signals:
    void valueChanged();
    void minimumChanged();
    void includesTimeChanged();
    void textChanged();
    void pageChanged();
    void daysChanged();
    // Also emitted when a chosen hour or minute was refused, so that the controls showing
    // the time fall back to the value.
    void timeChanged();
    // The user chose a new value.
    void edited();

private:
    QDate firstShownDate() const;
    QDate minimumDate() const;
    QDate valueDate() const;
    QTime valueTime() const;
    Instant clamped(Instant t) const;
    void choose(QDate date, QTime time);
    void showMonthOf(QDate date);

    Calendar m_calendar;
    std::optional<Instant> m_value;
    std::optional<Instant> m_minimum;
    bool m_includesTime = false;
    QDate m_page; // the first day of the month the popup shows
};
