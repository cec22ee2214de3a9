#include "clock.h"
#include "editorrules.h"
#include "editortestsupport.h"
#include "eventeditor.h"
#include "eventstore.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const Calendar kNewYork(QTimeZone("America/New_York"), 1, QLocale(QLocale::English, QLocale::UnitedStates));

Instant at(int month, int day, int hour = 0, int minute = 0, int year = 2024)
{
    return kNewYork.instantAt(QDate(year, month, day), QTime(hour, minute));
}

QString wallClock(Instant t)
{
    return kNewYork.localDateTime(t).toString(u"yyyy-MM-dd HH:mm"_qs);
}

}

Q_DECLARE_METATYPE(Instant)
Q_DECLARE_METATYPE(std::optional<Instant>)
Q_DECLARE_METATYPE(std::optional<EventAttachment>)

class TestEventEditor : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    // Wednesday 13 March 2024, 14:37:25 in New York.
    FixedClock m_clock{at(3, 13, 14, 37).addingSeconds(25)};
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<EventStore> m_store;
    std::unique_ptr<CountingNotificationCenter> m_center;
    QList<QList<CalendarEvent>> m_rescheduled;
    std::unique_ptr<EventEditor> m_editor;

    EventEditor &openNew(Instant day, std::optional<Instant> presetStart = std::nullopt)
    {
        m_editor->setEventId(QString());
        m_editor->setDate(day.toDateTime());
        m_editor->setPresetStart(presetStart ? presetStart->toDateTime() : QDateTime());
        m_editor->fill();
        return *m_editor;
    }

    EventEditor &openStored(const QString &id)
    {
        m_editor->setEventId(id);
        m_editor->fill();
        return *m_editor;
    }

    // Stores the event exactly as given, as a synchronisation or an earlier version would have.
    EventEditor &openExisting(const CalendarEvent &event)
    {
        m_store->setEvents(m_store->events() + QList<CalendarEvent>{event});
        return openStored(event.id);
    }

    // Five daily "Seminar" events, 18 to 22 March, 09:00 to 10:00.
    QList<CalendarEvent> storeSeries()
    {
        m_store->addSeries(storedEvent(u"Seminar"_qs, at(3, 18), at(3, 18, 9), at(3, 18, 10)), RepeatRule::daily,
                           {}, at(3, 22));
        return m_store->events();
    }

    CalendarEvent stored(const QString &id) const
    {
        for (const CalendarEvent &event : m_store->events()) {
            if (event.id == id)
                return event;
        }
        return {};
    }

private slots:
    void init()
    {
        m_preferences = std::make_unique<Preferences>(std::make_unique<MemoryPreferenceBackend>());
        m_store = std::make_unique<EventStore>(*m_preferences, nullptr, m_dir.filePath(u"recovered"_qs));
        m_store->setCalendar(kNewYork);
        m_center = std::make_unique<CountingNotificationCenter>();
        m_rescheduled.clear();
        m_editor = std::make_unique<EventEditor>();
        m_editor->setCalendar(kNewYork);
        m_editor->setClock(m_clock);
        m_editor->setNotificationCenter(m_center.get());
        m_editor->setRemindersRescheduler([this](const QList<CalendarEvent> &events) { m_rescheduled.append(events); });
        m_editor->setStore(m_store.get());
    }

    void cleanup()
    {
        m_editor.reset();
        m_store.reset();
    }

    void newEventStartsAtTheTimeOfDayOnTheChosenDay_data()
    {
        QTest::addColumn<Instant>("day");
        QTest::addColumn<std::optional<Instant>>("presetStart");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("weekday");
        QTest::addColumn<QString>("repeatUntil");

        QTest::newRow("a day") << at(3, 20) << std::optional<Instant>() << u"2024-03-20 14:37"_qs
                               << u"2024-03-20 15:37"_qs << 4 << u"2024-06-26 14:37"_qs;
        QTest::newRow("today, seconds dropped") << at(3, 13, 23, 59) << std::optional<Instant>()
                                                << u"2024-03-13 14:37"_qs << u"2024-03-13 15:37"_qs << 4
                                                << u"2024-06-19 14:37"_qs;
        // 98 calendar days keep the wall-clock time across the change to daylight saving time.
        QTest::newRow("before daylight saving") << at(3, 8) << std::optional<Instant>() << u"2024-03-08 14:37"_qs
                                                << u"2024-03-08 15:37"_qs << 6 << u"2024-06-14 14:37"_qs;
        QTest::newRow("a time slot") << at(3, 20) << std::optional<Instant>(at(3, 17, 9, 30))
                                     << u"2024-03-17 09:30"_qs << u"2024-03-17 10:30"_qs << 1
                                     << u"2024-06-23 09:30"_qs;
    }

    void newEventStartsAtTheTimeOfDayOnTheChosenDay()
    {
        QFETCH(Instant, day);
        QFETCH(std::optional<Instant>, presetStart);
        const EventEditor &editor = openNew(day, presetStart);
        QTEST(wallClock(editor.startInstant()), "start");
        QTEST(wallClock(editor.endInstant()), "end");
        QTEST(wallClock(editor.repeatUntilInstant()), "repeatUntil");
        QFETCH(int, weekday);
        QCOMPARE(editor.repeatWeekdays(), QList<int>{weekday});

        QVERIFY(editor.isNew());
        QCOMPARE(editor.navigationTitle(), u"New Event"_qs);
        QCOMPARE(editor.title(), QString());
        QCOMPARE(editor.colorName(), u"Peacock"_qs);
        QCOMPARE(editor.category(), u"Event"_qs);
        QCOMPARE(editor.repeatRule(), RepeatRule::never);
        QVERIFY(editor.reminders().isEmpty());
        QVERIFY(!editor.canSave());
    }

    void existingEventFillsTheForm()
    {
        CalendarEvent event = storedEvent(u"Chemistry"_qs, at(3, 14), at(3, 14, 9), at(3, 14, 10, 15));
        event.notes = u"Bring goggles"_qs;
        event.colorName = u"Tomato"_qs;
        event.category = u"Class"_qs;
        event.location = u"Lab 2"_qs;
        event.instructor = u"Dr. Chen"_qs;
        event.attachment = EventAttachment{u"Syllabus"_qs, u"https://example.com/syllabus"_qs};
        event.reminderMinutes = {60, 15};
        const EventEditor &editor = openExisting(event);

        QVERIFY(!editor.isNew());
        QCOMPARE(editor.navigationTitle(), u"Edit Event"_qs);
        QCOMPARE(editor.title(), u"Chemistry"_qs);
        QCOMPARE(wallClock(editor.startInstant()), u"2024-03-14 09:00"_qs);
        QCOMPARE(wallClock(editor.endInstant()), u"2024-03-14 10:15"_qs);
        QCOMPARE(editor.notes(), u"Bring goggles"_qs);
        QCOMPARE(editor.colorName(), u"Tomato"_qs);
        QCOMPARE(editor.locationLabel(), u"Room / building"_qs);
        QCOMPARE(editor.location(), u"Lab 2"_qs);
        QCOMPARE(editor.instructor(), u"Dr. Chen"_qs);
        QCOMPARE(editor.attachmentURL(), u"https://example.com/syllabus"_qs);
        QCOMPARE(editor.attachmentName(), u"Syllabus"_qs);
        QCOMPARE(editor.reminders(), (QList<int>{15, 60}));
        QVERIFY(!editor.showsSeriesSection());
        QCOMPARE(editor.deleteButtonText(), u"Delete Event"_qs);

        // An end stored before the start shows as the start.
        const CalendarEvent backwards = storedEvent(u"Odd"_qs, at(3, 14), at(3, 14, 9), at(3, 14, 8));
        QCOMPARE(openExisting(backwards).endInstant(), at(3, 14, 9));
    }

    void allDayEventShowsItsLastDayAndSavesBack()
    {
        const CalendarEvent event = storedEvent(u"Conference"_qs, at(3, 3), at(3, 3), at(3, 5), true);
        EventEditor &editor = openExisting(event);
        QCOMPARE(editor.startInstant(), at(3, 3));
        QCOMPARE(editor.endInstant(), at(3, 4));
        QCOMPARE(Instant::fromDateTime(editor.endMinimum()), at(3, 3));

        editor.save();
        const CalendarEvent saved = stored(event.id);
        QCOMPARE(saved.startTime, at(3, 3));
        QCOMPARE(saved.endTime, at(3, 5));
        QCOMPARE(saved.date, at(3, 3));
        QVERIFY(saved.isAllDay);

        // Across the change to daylight saving time the end is still a day start.
        const CalendarEvent spring = storedEvent(u"Trip"_qs, at(3, 9), at(3, 9), at(3, 12), true);
        openExisting(spring).save();
        QCOMPARE(stored(spring.id).endTime, at(3, 12));
    }

    void allDaySwitchKeepsTheEndAfterTheStart()
    {
        // A one-day all-day event shows its end on its start; switched off it lasts an hour.
        EventEditor &editor = openExisting(storedEvent(u"Holiday"_qs, at(3, 13), at(3, 13), at(3, 14), true));
        QCOMPARE(editor.endInstant(), editor.startInstant());
        editor.setIsAllDay(false);
        QCOMPARE(wallClock(editor.endInstant()), u"2024-03-13 01:00"_qs);

        // While all-day, the end may lie before the start on the same day; switched off it cannot.
        openNew(at(3, 13));
        editor.setIsAllDay(true);
        QCOMPARE(Instant::fromDateTime(editor.endMinimum()), at(3, 13));
        editor.setEndInstant(at(3, 13, 10));
        QCOMPARE(wallClock(editor.endInstant()), u"2024-03-13 10:00"_qs);
        editor.setIsAllDay(false);
        QCOMPARE(wallClock(editor.endInstant()), u"2024-03-13 15:37"_qs);
        QCOMPARE(editor.endMinimum(), editor.startTime());

        // Switching on leaves a later end alone.
        editor.setEndInstant(at(3, 15, 12));
        editor.setIsAllDay(true);
        QCOMPARE(wallClock(editor.endInstant()), u"2024-03-15 12:00"_qs);

        // "Ends" refuses a value below its bound.
        editor.setIsAllDay(false);
        editor.setEndInstant(at(3, 13, 14));
        QCOMPARE(editor.endInstant(), editor.startInstant());
    }

    void movingTheStartMovesTheEndAndASingleWeekday()
    {
        EventEditor &editor = openNew(at(3, 13));
        editor.setStartInstant(at(3, 14, 16));
        QCOMPARE(wallClock(editor.endInstant()), u"2024-03-14 17:00"_qs);
        QCOMPARE(editor.repeatWeekdays(), QList<int>{5});

        editor.setStartInstant(at(3, 14, 8));
        QCOMPARE(wallClock(editor.endInstant()), u"2024-03-14 17:00"_qs);

        editor.setIsAllDay(true);
        editor.setStartInstant(at(3, 16));
        QCOMPARE(editor.endInstant(), at(3, 16));

        // A choice of two weekdays stays when the start moves.
        editor.toggleWeekday(2);
        editor.setStartInstant(at(3, 22));
        QCOMPARE(editor.repeatWeekdays(), (QList<int>{2, 7}));

        // "Repeat until" refuses a day before the start.
        editor.setRepeatUntilInstant(at(3, 1));
        QCOMPARE(editor.repeatUntilInstant(), editor.startInstant());
    }

    void canSaveNeedsATitleAndAValidLink_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("linkValid");
        QTest::addColumn<bool>("canSave");

        QTest::newRow("no title") << QString() << QString() << true << false;
        QTest::newRow("spaces") << u"   "_qs << QString() << true << false;
        QTest::newRow("tab and no-break space") << u"\t\u00a0"_qs << QString() << true << false;
        QTest::newRow("leading spaces") << u"  Lab"_qs << QString() << true << true;
        QTest::newRow("blank link") << u"Lab"_qs << u" \n"_qs << true << true;
        QTest::newRow("no scheme") << u"Lab"_qs << u"drive.google.com/file/d/1"_qs << false << false;
        QTest::newRow("other scheme") << u"Lab"_qs << u"ftp://files.example.com"_qs << false << false;
        QTest::newRow("mail link") << u"Lab"_qs << u"mailto:me@example.com"_qs << false << false;
        QTest::newRow("no host part") << u"Lab"_qs << u"http:example.com"_qs << false << false;
        QTest::newRow("space inside") << u"Lab"_qs << u"https://exa mple.com"_qs << false << false;
        QTest::newRow("capitalised scheme") << u"Lab"_qs << u"HTTPS://Drive.Google.com/file"_qs << true << true;
        QTest::newRow("surrounding spaces") << u"Lab"_qs << u"  https://example.com/a \n"_qs << true << true;
        QTest::newRow("empty host") << u"Lab"_qs << u"http://"_qs << true << true;
    }

    void canSaveNeedsATitleAndAValidLink()
    {
        QFETCH(QString, title);
        QFETCH(QString, link);
        EventEditor &editor = openNew(at(3, 13));
        editor.setTitle(title);
        editor.setAttachmentURL(link);
        QTEST(editor.isLinkValid(), "linkValid");
        QTEST(editor.canSave(), "canSave");

        // Save does nothing while it is disabled.
        QSignalSpy finished(&editor, &EventEditor::finished);
        editor.save();
        QFETCH(bool, canSave);
        QCOMPARE(m_store->events().size(), canSave ? 1 : 0);
        QCOMPARE(finished.size(), canSave ? 1 : 0);
    }

    void changesAreAnnouncedOnce()
    {
        EventEditor &editor = openNew(at(3, 13));
        QSignalSpy title(&editor, &EventEditor::titleChanged);
        QSignalSpy canSave(&editor, &EventEditor::canSaveChanged);
        QSignalSpy end(&editor, &EventEditor::endTimeChanged);
        editor.setTitle(u"L"_qs);
        editor.setTitle(u"La"_qs);
        editor.setTitle(u"La"_qs);
        QCOMPARE(title.size(), 2);
        QCOMPARE(canSave.size(), 1);
        editor.setEndInstant(editor.endInstant());
        QCOMPARE(end.size(), 0);
    }

    void savesANewEvent()
    {
        EventEditor &editor = openNew(at(3, 20));
        QSignalSpy finished(&editor, &EventEditor::finished);
        editor.setTitle(u"  Lab report"_qs);
        editor.setNotes(u"  bring goggles\n"_qs);
        editor.setColorName(u"Sage"_qs);
        editor.setCategory(u"Exam"_qs);
        editor.setLocation(u" Room 4\t"_qs);
        editor.setInstructor(u"\tDr. Chen "_qs);
        editor.toggleReminder(60);
        editor.toggleReminder(15);
        editor.save();

        QCOMPARE(m_store->events().size(), 1);
        const CalendarEvent saved = m_store->events().constFirst();
        QVERIFY(Uuid::isCanonical(saved.id));
        QCOMPARE(saved.title, u"  Lab report"_qs);
        QCOMPARE(saved.notes, u"  bring goggles\n"_qs);
        QCOMPARE(saved.colorName, u"Sage"_qs);
        QCOMPARE(saved.category, u"Exam"_qs);
        QCOMPARE(saved.location, u"Room 4"_qs);
        QCOMPARE(saved.instructor, u"Dr. Chen"_qs);
        QCOMPARE(saved.reminderMinutes, (QList<int>{15, 60}));
        QCOMPARE(wallClock(saved.startTime), u"2024-03-20 14:37"_qs);
        QCOMPARE(wallClock(saved.endTime), u"2024-03-20 15:37"_qs);
        QCOMPARE(saved.date, at(3, 20));
        QVERIFY(!saved.isAllDay);
        QVERIFY(saved.isDirty);
        QVERIFY(!saved.seriesId && !saved.googleEventId && !saved.appleEventId && !saved.attachment);
        QCOMPARE(finished.size(), 1);

        // An end on the start is saved an hour after it.
        openNew(at(3, 21));
        editor.setTitle(u"Call"_qs);
        editor.setEndInstant(editor.startInstant());
        editor.save();
        QCOMPARE(m_store->events().constLast().startTime.secondsTo(m_store->events().constLast().endTime), 3600.0);
    }

    void savesTheLinkAsAnAttachment_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("label");
        QTest::addColumn<std::optional<EventAttachment>>("attachment");

        QTest::newRow("blank label: the host") << u" https://drive.google.com/file/d/1 \n"_qs << u"  \t"_qs
                                               << std::optional(EventAttachment{u"drive.google.com"_qs,
                                                                                u"https://drive.google.com/file/d/1"_qs});
        QTest::newRow("label trimmed") << u"https://example.com/a"_qs << u"  Syllabus \n"_qs
                                       << std::optional(EventAttachment{u"Syllabus"_qs, u"https://example.com/a"_qs});
        QTest::newRow("capitalised scheme kept") << u"HTTPS://example.com/x"_qs << QString()
                                                 << std::optional(EventAttachment{u"example.com"_qs,
                                                                                  u"HTTPS://example.com/x"_qs});
        QTest::newRow("empty link: none") << QString() << u"Syllabus"_qs << std::optional<EventAttachment>();
    }

    void savesTheLinkAsAnAttachment()
    {
        QFETCH(QString, link);
        QFETCH(QString, label);
        EventEditor &editor = openNew(at(3, 20));
        editor.setTitle(u"Reading"_qs);
        editor.setAttachmentURL(link);
        editor.setAttachmentName(label);
        editor.save();
        QTEST(m_store->events().constFirst().attachment, "attachment");

        // Emptying the link of an existing event removes its attachment.
        openStored(m_store->events().constFirst().id);
        editor.setAttachmentURL(QString());
        editor.save();
        QVERIFY(!m_store->events().constFirst().attachment);
    }

    void newSeriesHasTheCountShown_data()
    {
        QTest::addColumn<Instant>("start");
        QTest::addColumn<int>("ruleIndex");
        QTest::addColumn<QList<int>>("addedWeekdays");
        QTest::addColumn<Instant>("until");
        QTest::addColumn<QString>("text");

        QTest::newRow("daily, one day") << at(3, 13, 9) << 1 << QList<int>() << at(3, 13) << u"Creates 1 event (up to 150)."_qs;
        QTest::newRow("daily, ten days") << at(3, 13, 9) << 1 << QList<int>() << at(3, 22) << u"Creates 10 events (up to 150)."_qs;
        QTest::newRow("daily, a year") << at(3, 13, 9) << 1 << QList<int>() << at(3, 13, 9, 0, 2025)
                                       << u"Creates 150 events (up to 150)."_qs;
        QTest::newRow("weekly, Mon and Wed") << at(3, 13, 9) << 2 << QList<int>{2} << at(3, 27)
                                             << u"Creates 5 events (up to 150)."_qs;
        QTest::newRow("every 2 weeks, Mon and Thu") << at(3, 11, 9) << 3 << QList<int>{5} << at(4, 6)
                                                    << u"Creates 4 events (up to 150)."_qs;
        QTest::newRow("monthly from the 31st") << at(1, 31, 9) << 4 << QList<int>() << at(12, 31, 9)
                                               << u"Creates 7 events (up to 150)."_qs;
    }

    void newSeriesHasTheCountShown()
    {
        QFETCH(Instant, start);
        QFETCH(int, ruleIndex);
        QFETCH(QList<int>, addedWeekdays);
        QFETCH(Instant, until);
        EventEditor &editor = openNew(at(3, 13), start);
        QSignalSpy occurrences(&editor, &EventEditor::occurrencesChanged);
        editor.setTitle(u"Practice"_qs);
        editor.setRepeatRuleIndex(ruleIndex);
        for (int weekday : addedWeekdays)
            editor.toggleWeekday(weekday);
        editor.setRepeatUntilInstant(until);
        QTEST(editor.occurrenceText(), "text");
        QVERIFY(!occurrences.isEmpty());

        editor.save();
        const QList<CalendarEvent> &events = m_store->events();
        QCOMPARE(events.size(), editor.occurrenceCount());
        QVERIFY(events.constFirst().seriesId);
        for (const CalendarEvent &event : events)
            QCOMPARE(event.seriesId, events.constFirst().seriesId);
    }

    void weekdayChipsKeepTheLastChoice()
    {
        EventEditor &editor = openNew(at(3, 13));
        QStringList symbols;
        for (const QVariant &chip : editor.weekdayChips())
            symbols.append(chip.toMap().value(u"symbol"_qs).toString());
        QCOMPARE(symbols, (QStringList{u"S"_qs, u"M"_qs, u"T"_qs, u"W"_qs, u"T"_qs, u"F"_qs, u"S"_qs}));

        QSignalSpy changed(&editor, &EventEditor::repeatWeekdaysChanged);
        editor.toggleWeekday(4);
        QCOMPARE(editor.repeatWeekdays(), QList<int>{4});
        QCOMPARE(changed.size(), 0);
        editor.toggleWeekday(2);
        editor.toggleWeekday(4);
        QCOMPARE(editor.repeatWeekdays(), QList<int>{2});
        editor.toggleWeekday(8);
        QCOMPARE(editor.repeatWeekdays(), QList<int>{2});
        QCOMPARE(changed.size(), 2);
    }

    void seriesEditReachesAllEventsOnlyWhenChosen_data()
    {
        QTest::addColumn<bool>("applyToSeries");
        QTest::addColumn<QStringList>("result");

        QTest::newRow("this event") << false
                                    << QStringList{u"Seminar 03-18 09:00"_qs, u"Seminar 03-19 09:00"_qs,
                                                   u"Workshop 03-20 10:30"_qs, u"Seminar 03-21 09:00"_qs,
                                                   u"Seminar 03-22 09:00"_qs};
        QTest::newRow("all events") << true
                                    << QStringList{u"Workshop 03-18 10:30"_qs, u"Workshop 03-19 10:30"_qs,
                                                   u"Workshop 03-20 10:30"_qs, u"Workshop 03-21 10:30"_qs,
                                                   u"Workshop 03-22 10:30"_qs};
    }

    void seriesEditReachesAllEventsOnlyWhenChosen()
    {
        const QList<CalendarEvent> series = storeSeries();
        EventEditor &editor = openStored(series.at(2).id);
        QVERIFY(editor.showsSeriesSection());
        QVERIFY(!editor.applyToSeries());
        QCOMPARE(editor.applyToSeriesOptions(), (QStringList{u"This event"_qs, u"All 5 events"_qs}));
        QCOMPARE(editor.deleteButtonText(), u"Delete…"_qs);
        QCOMPARE(editor.deleteAllText(), u"Delete all 5 events"_qs);

        QFETCH(bool, applyToSeries);
        editor.setApplyToSeries(applyToSeries);
        editor.setTitle(u"Workshop"_qs);
        editor.setStartInstant(at(3, 20, 10, 30));
        editor.save();

        QStringList result;
        for (const CalendarEvent &event : m_store->events())
            result.append(event.title + u' ' + kNewYork.localDateTime(event.startTime).toString(u"MM-dd HH:mm"_qs));
        QTEST(result, "result");
    }

    void deletingASeriesMemberAsksFirst_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<int>("remaining");
        QTest::addColumn<int>("finished");

        QTest::newRow("this event only") << u"one"_qs << 4 << 1;
        QTest::newRow("all events") << u"all"_qs << 0 << 1;
        QTest::newRow("cancel") << u"cancel"_qs << 5 << 0;
    }

    void deletingASeriesMemberAsksFirst()
    {
        const QList<CalendarEvent> series = storeSeries();
        EventEditor &editor = openStored(series.at(1).id);
        QSignalSpy finished(&editor, &EventEditor::finished);
        editor.requestDelete();
        QVERIFY(editor.showDeleteChoice());
        QCOMPARE(m_store->events().size(), 5);
        QCOMPARE(finished.size(), 0);

        QFETCH(QString, choice);
        if (choice == u"one")
            editor.deleteThisEventOnly();
        else if (choice == u"all")
            editor.deleteAllEvents();
        else
            editor.dismissDeleteChoice();
        QVERIFY(!editor.showDeleteChoice());
        QTEST(int(m_store->events().size()), "remaining");
        QTEST(int(finished.size()), "finished");
        if (choice == u"one")
            QVERIFY(stored(series.at(1).id).id.isEmpty());
    }

    void singleEventsDeleteWithoutAsking()
    {
        EventEditor &editor = openExisting(storedEvent(u"Dentist"_qs, at(3, 14), at(3, 14, 9), at(3, 14, 10)));
        QSignalSpy finished(&editor, &EventEditor::finished);
        editor.requestDelete();
        QVERIFY(!editor.showDeleteChoice());
        QVERIFY(m_store->events().isEmpty());
        QCOMPARE(finished.size(), 1);

        // A series shrunk to one event while the editor is open behaves as a single event.
        m_store->addSeries(storedEvent(u"Lab"_qs, at(3, 18), at(3, 18, 9), at(3, 18, 10)), RepeatRule::daily, {},
                           at(3, 19));
        openStored(m_store->events().constFirst().id);
        QCOMPARE(editor.seriesCount(), 2);
        QSignalSpy seriesCount(&editor, &EventEditor::seriesCountChanged);
        m_store->remove(m_store->events().constLast());
        QCOMPARE(seriesCount.size(), 1);
        QCOMPARE(editor.seriesCount(), 1);
        QVERIFY(!editor.showsSeriesSection());
        QCOMPARE(editor.deleteButtonText(), u"Delete Event"_qs);
        editor.requestDelete();
        QVERIFY(!editor.showDeleteChoice());
        QVERIFY(m_store->events().isEmpty());
    }

    void remindersAskPermissionThenReschedule_data()
    {
        QTest::addColumn<QList<int>>("reminders");
        QTest::addColumn<int>("requests");

        QTest::newRow("no reminders") << QList<int>() << 0;
        QTest::newRow("a reminder") << QList<int>{15} << 1;
    }

    void remindersAskPermissionThenReschedule()
    {
        QFETCH(QList<int>, reminders);
        EventEditor &editor = openNew(at(3, 20));
        editor.setTitle(u"Review"_qs);
        for (int minutes : reminders)
            editor.toggleReminder(minutes);
        editor.save();
        QTEST(m_center->authorizationRequests, "requests");
        QFETCH(int, requests);
        QCOMPARE(m_rescheduled.size(), requests);
        if (requests)
            QCOMPARE(m_rescheduled.constFirst(), m_store->events());
    }

    void changesTheStoreMadeMeanwhileSurvive()
    {
        // The event is pushed to Google while the editor is open.
        const CalendarEvent event = storedEvent(u"Standup"_qs, at(3, 14), at(3, 14, 9), at(3, 14, 9, 15));
        EventEditor &editor = openExisting(event);
        CalendarEvent pushed = event;
        pushed.googleEventId = u"g-1"_qs;
        pushed.isDirty = false;
        m_store->setEventAt(0, pushed);

        editor.setTitle(u"Daily standup"_qs);
        editor.save();
        QCOMPARE(stored(event.id).googleEventId, u"g-1"_qs);
        QCOMPARE(stored(event.id).title, u"Daily standup"_qs);

        // Deleting an event pushed meanwhile queues its Google deletion.
        const CalendarEvent other = storedEvent(u"Retro"_qs, at(3, 15), at(3, 15, 16), at(3, 15, 17));
        openExisting(other);
        CalendarEvent otherPushed = other;
        otherPushed.googleEventId = u"g-2"_qs;
        m_store->setEventAt(1, otherPushed);
        editor.requestDelete();
        QCOMPARE(m_store->pendingDeletes(), QStringList{u"g-2"_qs});
    }
};

QTEST_GUILESS_MAIN(TestEventEditor)
#include "test_eventeditor.moc"
