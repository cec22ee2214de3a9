#include "freedesktopnotificationcenter.h"

#include "clock.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>

#include <QCoro/QCoroDBusPendingCall>

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

// The themed sound the desktop plays for a new message; the closest the freedesktop sound names
// come to a default notification sound.
const QString kDefaultSoundName = QStringLiteral("message-new-instant");

constexpr int kProbeTimeoutMs = 5000;
// The timer never sleeps longer than this, so that a changed wall clock or a suspended machine
// is noticed within a minute.
constexpr qint64 kLongestWaitMs = 60 * 1000;

struct AuthorizationName
{
    NotificationAuthorization value;
    const char *name;
};
constexpr AuthorizationName kAuthorizationNames[] = {
    {NotificationAuthorization::Denied, "denied"},
    {NotificationAuthorization::Authorized, "authorized"},
    {NotificationAuthorization::Provisional, "provisional"},
};

using JsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

void writeString(JsonWriter &writer, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    writer.String(utf8.constData(), rapidjson::SizeType(utf8.size()), true);
}

QByteArray encode(NotificationAuthorization authorization, const QList<NotificationRequest> &requests)
{
    rapidjson::StringBuffer buffer;
    JsonWriter writer(buffer);
    writer.StartObject();
    for (const AuthorizationName &entry : kAuthorizationNames) {
        if (entry.value == authorization) {
            writer.Key("authorization");
            writer.String(entry.name);
        }
    }
    writer.Key("requests");
    writer.StartArray();
    for (const NotificationRequest &request : requests) {
        writer.StartObject();
        writer.Key("identifier");
        writeString(writer, request.identifier);
        writer.Key("title");
        writeString(writer, request.title);
        writer.Key("body");
        writeString(writer, request.body);
        writer.Key("sound");
        writer.Bool(request.playsDefaultSound);
        writer.Key("fireTime");
        writer.Double(request.fireTime.seconds);
        writer.EndObject();
    }
    writer.EndArray();
    writer.EndObject();
    return QByteArray(buffer.GetString(), qsizetype(buffer.GetSize()));
}

// What a stored file holds; `problem` names the first thing that could not be read. Requests
// that can be read are kept even then.
struct StoredState
{
    NotificationAuthorization authorization = NotificationAuthorization::NotDetermined;
    QList<NotificationRequest> requests;
    QString problem;
};

QString stringMember(const rapidjson::Value &object, const char *key, bool &ok)
{
    const auto found = object.FindMember(key);
    if (found == object.MemberEnd() || !found->value.IsString()) {
        ok = false;
        return {};
    }
    return QString::fromUtf8(found->value.GetString(), qsizetype(found->value.GetStringLength()));
}

std::optional<NotificationRequest> decodeRequest(const rapidjson::Value &value)
{
    if (!value.IsObject())
        return std::nullopt;
    bool ok = true;
    NotificationRequest request;
    request.identifier = stringMember(value, "identifier", ok);
    request.title = stringMember(value, "title", ok);
    request.body = stringMember(value, "body", ok);
    const auto sound = value.FindMember("sound");
    const auto fireTime = value.FindMember("fireTime");
    if (!ok || request.identifier.isEmpty() || sound == value.MemberEnd() || !sound->value.IsBool()
        || fireTime == value.MemberEnd() || !fireTime->value.IsNumber())
        return std::nullopt;
    request.playsDefaultSound = sound->value.GetBool();
    request.fireTime = Instant::fromSeconds(fireTime->value.GetDouble());
    return request;
}

StoredState decode(const QByteArray &bytes)
{
    StoredState state;
    rapidjson::Document document;
    document.Parse<rapidjson::kParseFullPrecisionFlag | rapidjson::kParseValidateEncodingFlag>(bytes.constData(),
                                                                                               size_t(bytes.size()));
    if (document.HasParseError()) {
        state.problem = QStringLiteral("not JSON: %1 at byte %2")
                                .arg(QString::fromUtf8(rapidjson::GetParseError_En(document.GetParseError())))
                                .arg(document.GetErrorOffset());
        return state;
    }
    if (!document.IsObject()) {
        state.problem = QStringLiteral("not a JSON object");
        return state;
    }
    if (const auto found = document.FindMember("authorization"); found != document.MemberEnd()) {
        const auto known = std::find_if(std::begin(kAuthorizationNames), std::end(kAuthorizationNames), [&](auto entry) {
            return found->value.IsString() && qstrcmp(found->value.GetString(), entry.name) == 0;
        });
        if (known != std::end(kAuthorizationNames))
            state.authorization = known->value;
        else
            state.problem = QStringLiteral("unknown \"authorization\"");
    }
    const auto requests = document.FindMember("requests");
    if (requests == document.MemberEnd() || !requests->value.IsArray()) {
        state.problem = QStringLiteral("no \"requests\" list");
        return state;
    }
    for (const rapidjson::Value &element : requests->value.GetArray()) {
        if (const auto request = decodeRequest(element))
            state.requests.append(*request);
        else if (state.problem.isEmpty())
            state.problem = QStringLiteral("a request lacks a field or has one of the wrong type");
    }
    return state;
}

// "notifications.unreadable.json", or with a number when that name is taken.
QString unusedAsidePath(const QString &path)
{
    const QFileInfo info(path);
    const QString stem = info.dir().filePath(info.completeBaseName() + QStringLiteral(".unreadable"));
    QString candidate = stem + QStringLiteral(".json");
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = stem + QLatin1Char('-') + QString::number(n) + QStringLiteral(".json");
    return candidate;
}

bool isGranted(NotificationAuthorization authorization)
{
    return authorization == NotificationAuthorization::Authorized
            || authorization == NotificationAuthorization::Provisional;
}

}

FreedesktopNotificationCenter::FreedesktopNotificationCenter(const QString &storePath, QObject *parent,
                                                             const Clock *clock, const QDBusConnection &bus)
    : NotificationCenter(parent), m_storePath(storePath), m_clock(clock), m_bus(bus)
{
    m_deliveryTimer.setSingleShot(true);
    m_deliveryTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_deliveryTimer, &QTimer::timeout, this, &FreedesktopNotificationCenter::deliverDueRequests);
    load();
    armTimer();
}

FreedesktopNotificationCenter::~FreedesktopNotificationCenter()
{
    if (m_saveScheduled)
        save();
}

QString FreedesktopNotificationCenter::defaultStorePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
            .filePath(QStringLiteral("notifications.json"));
}

const Clock &FreedesktopNotificationCenter::clock() const
{
    return m_clock ? *m_clock : Clock::shared();
}

QCoro::Task<QList<NotificationRequest>> FreedesktopNotificationCenter::pendingRequests()
{
    // QCoro 0.8 moves from a co_returned non-const lvalue, so the list is handed over as const.
    co_return std::as_const(m_pending);
}

void FreedesktopNotificationCenter::removePendingRequests(const QStringList &identifiers)
{
    const QSet<QString> doomed(identifiers.cbegin(), identifiers.cend());
    if (m_pending.removeIf([&](const NotificationRequest &r) { return doomed.contains(r.identifier); }) == 0)
        return;
    scheduleSave();
    armTimer();
}

QCoro::Task<bool> FreedesktopNotificationCenter::add(NotificationRequest request)
{
    if (request.identifier.isEmpty() || !std::isfinite(request.fireTime.seconds))
        co_return false;
    const auto same = std::find_if(m_pending.begin(), m_pending.end(),
                                   [&](const NotificationRequest &r) { return r.identifier == request.identifier; });
    if (same != m_pending.end())
        *same = std::move(request);
    else
        m_pending.append(std::move(request));
    scheduleSave();
    armTimer();
    co_return true;
}

QCoro::Task<NotificationAuthorization> FreedesktopNotificationCenter::authorizationStatus()
{
    co_return m_authorization;
}

QCoro::Task<bool> FreedesktopNotificationCenter::requestAuthorization()
{
    QPointer<FreedesktopNotificationCenter> self(this);
    bool answered = false;
    if (m_bus.isConnected()) {
        const QDBusPendingCall call = m_bus.asyncCall(
                QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetServerInformation")),
                kProbeTimeoutMs);
        const QDBusMessage reply = co_await call;
        answered = reply.type() == QDBusMessage::ReplyMessage;
    }
    if (self)
        setAuthorization(answered ? NotificationAuthorization::Authorized : NotificationAuthorization::Denied);
    co_return answered;
}

void FreedesktopNotificationCenter::setAuthorization(NotificationAuthorization authorization)
{
    if (authorization == m_authorization)
        return;
    m_authorization = authorization;
    save();
}

void FreedesktopNotificationCenter::deliverDueRequests()
{
    const Instant now = clock().now();
    QList<NotificationRequest> due;
    m_pending.removeIf([&](const NotificationRequest &r) {
        if (r.fireTime > now)
            return false;
        due.append(r);
        return true;
    });
    if (!due.isEmpty()) {
        // Written before showing, so that a crash cannot show a request twice.
        save();
        std::stable_sort(due.begin(), due.end(), [](const auto &a, const auto &b) { return a.fireTime < b.fireTime; });
        for (const NotificationRequest &request : std::as_const(due)) {
            if (isGranted(m_authorization) && request.fireTime.secondsTo(now) < kLatenessLimitSeconds)
                present(request);
        }
    }
    armTimer();
}

void FreedesktopNotificationCenter::armTimer()
{
    if (m_pending.isEmpty()) {
        m_deliveryTimer.stop();
        return;
    }
    const auto earliest = std::min_element(m_pending.cbegin(), m_pending.cend(),
                                           [](const auto &a, const auto &b) { return a.fireTime < b.fireTime; });
    const double waitMs = std::ceil(clock().now().secondsTo(earliest->fireTime) * 1000.0);
    m_deliveryTimer.start(int(std::clamp<double>(waitMs, 0.0, double(kLongestWaitMs))));
}

QCoro::Task<> FreedesktopNotificationCenter::present(NotificationRequest request)
{
    NotificationPresentationOptions options = NotificationPresentation::Banner | NotificationPresentation::List
            | NotificationPresentation::Sound;
    if (isApplicationInFront()) {
        QPointer<FreedesktopNotificationCenter> self(this);
        QPointer<NotificationCenterDelegate> delegate = this->delegate();
        // Not written as a conditional expression: GCC 12 miscompiles co_await inside one.
        options = {};
        if (delegate)
            options = co_await delegate->willPresent(request);
        if (!self)
            co_return;
    }
    if (!options.testAnyFlags(NotificationPresentation::Banner | NotificationPresentation::List))
        co_return;
    const bool withSound = request.playsDefaultSound && options.testFlag(NotificationPresentation::Sound);
    const QDBusPendingCall call = m_bus.asyncCall(notifyCall(request, withSound));
    const QDBusMessage reply = co_await call;
    if (reply.type() != QDBusMessage::ReplyMessage)
        qWarning("Dayloom: the notification \"%s\" could not be shown: %s", qUtf8Printable(request.title),
                 qUtf8Printable(reply.errorMessage()));
}

QDBusMessage FreedesktopNotificationCenter::notifyCall(const NotificationRequest &request, bool withSound) const
{
    QVariantMap hints;
    if (withSound)
        hints.insert(QStringLiteral("sound-name"), kDefaultSoundName);
    else
        hints.insert(QStringLiteral("suppress-sound"), true);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << QCoreApplication::applicationName() << uint(0) << QString() << request.title << request.body
         << QStringList() << hints << int(-1);
    return call;
}

void FreedesktopNotificationCenter::load()
{
    QFile file(m_storePath);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        moveAside(file.errorString());
        return;
    }
    StoredState state = decode(file.readAll());
    file.close();
    m_authorization = state.authorization;
    m_pending = std::move(state.requests);
    if (!state.problem.isEmpty())
        moveAside(state.problem);
}

// Keeps an unreadable file for the user to inspect instead of overwriting it with the next save.
void FreedesktopNotificationCenter::moveAside(const QString &reason)
{
    const QString aside = unusedAsidePath(m_storePath);
    if (QFile::rename(m_storePath, aside)) {
        qWarning("Dayloom: the pending notifications in %s could not be read (%s); the file was moved to %s.",
                 qUtf8Printable(m_storePath), qUtf8Printable(reason), qUtf8Printable(aside));
        return;
    }
    m_canWrite = false;
    qWarning("Dayloom: the pending notifications in %s could not be read (%s) nor moved aside; the file is left "
             "as it is and notifications are kept in memory only.",
             qUtf8Printable(m_storePath), qUtf8Printable(reason));
}

// Adds and removals come in bursts (a rebuild makes up to 60); one write after the burst does.
void FreedesktopNotificationCenter::scheduleSave()
{
    if (m_saveScheduled)
        return;
    m_saveScheduled = true;
    QMetaObject::invokeMethod(
            this, [this] {
                if (m_saveScheduled)
                    save();
            },
            Qt::QueuedConnection);
}

void FreedesktopNotificationCenter::save()
{
    m_saveScheduled = false;
    if (!m_canWrite)
        return;
    QDir().mkpath(QFileInfo(m_storePath).absolutePath());
    const QByteArray bytes = encode(m_authorization, m_pending);
    QSaveFile file(m_storePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        qWarning("Dayloom: the pending notifications could not be written to %s: %s", qUtf8Printable(m_storePath),
                 qUtf8Printable(file.errorString()));
}
