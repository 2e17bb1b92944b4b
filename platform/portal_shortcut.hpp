// The global lookup key through the desktop's GlobalShortcuts portal, the
// way a Wayland desktop (and some X11 ones) hands out global keys: a portal
// session of our own, one shortcut bound in it with F<number> as the
// preferred trigger, and the portal's Activated signal. The desktop may let
// the user choose another trigger; whatever it is, its activation is a press.
#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace tulvo::platform {

inline constexpr char kPortalService[] = "org.freedesktop.portal.Desktop";
inline constexpr char kPortalPath[] = "/org/freedesktop/portal/desktop";
inline constexpr char kGlobalShortcuts[] = "org.freedesktop.portal.GlobalShortcuts";
// The id of our one shortcut inside the session.
inline constexpr char kLookupShortcut[] = "lookup";

class PortalShortcut : public QObject {
    Q_OBJECT
  public:
    explicit PortalShortcut(QDBusConnection bus = QDBusConnection::sessionBus(),
                            QObject* parent = nullptr);
    ~PortalShortcut() override;

    // Asks for F<number> (5..12). The answer comes later: bound() once the
    // portal holds the shortcut, unavailable() when there is no portal with
    // the interface (version 1 or later) or it refuses.
    void bind(int number);
    // Closes the session: no more presses.
    void release();
    bool isBound() const { return state_ == State::Bound; }
    int boundKey() const { return isBound() ? number_ : 0; }

  signals:
    void bound(const QString& trigger);
    void unavailable(const QString& why);
    void pressed();

  private slots:
    void sessionCreated(uint response, const QVariantMap& results);
    void shortcutsBound(uint response, const QVariantMap& results);
    void activated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                   const QVariantMap& options);

  private:
    enum class State { Idle, Checking, Creating, Binding, Bound };
    void createSession();
    // The path of the Request object a call with `token` answers on.
    QString requestPath(const QString& token) const;
    QString nextToken();
    void awaitResponse(const QString& path, const char* slot);
    void stopAwaiting();
    void fail(const QString& why);

    QDBusConnection bus_;
    State state_ = State::Idle;
    int number_ = 0;
    int tokens_ = 0;
    QString session_;
    QString awaited_;  // the Request path whose Response is awaited
    const char* slot_ = nullptr;
};

}  // namespace tulvo::platform
