#include "platform/portal_shortcut.hpp"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QList>

namespace tulvo::platform {
namespace {

constexpr char kRequest[] = "org.freedesktop.portal.Request";
constexpr char kSession[] = "org.freedesktop.portal.Session";

// One entry of the a(sa{sv}) list that BindShortcuts takes and answers.
struct ShortcutEntry {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const ShortcutEntry& entry) {
    out.beginStructure();
    out << entry.id << entry.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, ShortcutEntry& entry) {
    in.beginStructure();
    in >> entry.id >> entry.properties;
    in.endStructure();
    return in;
}

}  // namespace
}  // namespace tulvo::platform

Q_DECLARE_METATYPE(tulvo::platform::ShortcutEntry)

namespace tulvo::platform {
namespace {

void registerTypes() {
    static const bool once = [] {
        qDBusRegisterMetaType<ShortcutEntry>();
        qDBusRegisterMetaType<QList<ShortcutEntry>>();
        return true;
    }();
    (void)once;
}

QDBusMessage portalCall(const char* method) {
    return QDBusMessage::createMethodCall(kPortalService, kPortalPath, kGlobalShortcuts, method);
}

// The session handle arrives as an object path or, from some portals, as a string.
QString pathOf(const QVariant& value) {
    if (value.canConvert<QDBusObjectPath>()) {
        const QString path = value.value<QDBusObjectPath>().path();
        if (!path.isEmpty()) return path;
    }
    return value.toString();
}

}  // namespace

PortalShortcut::PortalShortcut(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    registerTypes();
    if (bus_.isConnected())
        bus_.connect(kPortalService, kPortalPath, kGlobalShortcuts, QStringLiteral("Activated"),
                     this, SLOT(activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

PortalShortcut::~PortalShortcut() {
    release();
}

void PortalShortcut::bind(int number) {
    release();
    if (number < 5 || number > 12) return;
    number_ = number;
    if (!bus_.isConnected()) {
        fail(QStringLiteral("no session bus"));
        return;
    }
    // The interface's version: absent on portals without global shortcuts.
    state_ = State::Checking;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kPortalService, kPortalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << QString::fromLatin1(kGlobalShortcuts) << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(get), this);
    const int token = tokens_;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, token] {
        watcher->deleteLater();
        // An answer to a request made before the last bind or release.
        if (token != tokens_ || state_ != State::Checking) return;
        const QDBusPendingReply<QDBusVariant> reply = *watcher;
        if (reply.isError()) {
            fail(QStringLiteral("no GlobalShortcuts portal (%1)").arg(reply.error().name()));
            return;
        }
        const uint version = reply.value().variant().toUInt();
        if (version < 1) {
            fail(QStringLiteral("GlobalShortcuts portal of version %1").arg(version));
            return;
        }
        createSession();
    });
}

void PortalShortcut::createSession() {
    state_ = State::Creating;
    const QString token = nextToken();
    awaitResponse(requestPath(token), SLOT(sessionCreated(uint, QVariantMap)));
    QDBusMessage call = portalCall("CreateSession");
    call << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("session_handle_token"), nextToken()}};
    bus_.asyncCall(call);
}

void PortalShortcut::sessionCreated(uint response, const QVariantMap& results) {
    stopAwaiting();
    if (state_ != State::Creating) return;
    session_ = pathOf(results.value(QStringLiteral("session_handle")));
    if (response != 0 || session_.isEmpty()) {
        fail(QStringLiteral("the portal refused a session (response %1)").arg(response));
        return;
    }
    state_ = State::Binding;
    const QString token = nextToken();
    awaitResponse(requestPath(token), SLOT(shortcutsBound(uint, QVariantMap)));
    const QList<ShortcutEntry> shortcuts{
        {QString::fromLatin1(kLookupShortcut),
         {{QStringLiteral("description"), QStringLiteral("Look up the selected text in Tulvo")},
          {QStringLiteral("preferred_trigger"), QStringLiteral("F%1").arg(number_)}}}};
    QDBusMessage call = portalCall("BindShortcuts");
    call << QVariant::fromValue(QDBusObjectPath(session_)) << QVariant::fromValue(shortcuts)
         << QString() << QVariantMap{{QStringLiteral("handle_token"), token}};
    bus_.asyncCall(call);
}

void PortalShortcut::shortcutsBound(uint response, const QVariantMap& results) {
    stopAwaiting();
    if (state_ != State::Binding) return;
    if (response != 0) {
        fail(QStringLiteral("the portal did not bind the shortcut (response %1)").arg(response));
        return;
    }
    QString trigger;
    const QVariant list = results.value(QStringLiteral("shortcuts"));
    if (list.canConvert<QDBusArgument>()) {
        QList<ShortcutEntry> entries;
        list.value<QDBusArgument>() >> entries;
        for (const ShortcutEntry& entry : entries)
            if (entry.id == QLatin1String(kLookupShortcut))
                trigger = entry.properties.value(QStringLiteral("trigger_description")).toString();
    }
    state_ = State::Bound;
    emit bound(trigger);
}

void PortalShortcut::activated(const QDBusObjectPath& session, const QString& id, qulonglong,
                               const QVariantMap&) {
    if (state_ == State::Bound && session.path() == session_ &&
        id == QLatin1String(kLookupShortcut))
        emit pressed();
}

void PortalShortcut::release() {
    stopAwaiting();
    ++tokens_;  // answers to earlier requests are ignored
    if (!session_.isEmpty() && bus_.isConnected()) {
        bus_.asyncCall(QDBusMessage::createMethodCall(kPortalService, session_, kSession, "Close"));
    }
    session_.clear();
    state_ = State::Idle;
    number_ = 0;
}

QString PortalShortcut::requestPath(const QString& token) const {
    // The caller's unique name without its colon, dots as underscores.
    QString sender = bus_.baseService();
    sender.remove(0, sender.startsWith(u':') ? 1 : 0).replace(u'.', u'_');
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

QString PortalShortcut::nextToken() {
    return QStringLiteral("tulvo%1").arg(++tokens_);
}

// Subscribed before the call, so that an answer sent at once is not missed.
void PortalShortcut::awaitResponse(const QString& path, const char* slot) {
    stopAwaiting();
    if (bus_.connect(kPortalService, path, kRequest, QStringLiteral("Response"), this, slot)) {
        awaited_ = path;
        slot_ = slot;
    }
}

void PortalShortcut::stopAwaiting() {
    if (awaited_.isEmpty()) return;
    bus_.disconnect(kPortalService, awaited_, kRequest, QStringLiteral("Response"), this, slot_);
    awaited_.clear();
    slot_ = nullptr;
}

void PortalShortcut::fail(const QString& why) {
    stopAwaiting();
    session_.clear();
    state_ = State::Idle;
    emit unavailable(why);
}

}  // namespace tulvo::platform
