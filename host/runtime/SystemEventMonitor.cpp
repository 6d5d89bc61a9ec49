#include "host/runtime/SystemEventMonitor.h"

#include "display/platform/DisplayPlatform.h"

#include <QGuiApplication>
#include <QScreen>

#ifdef HOST_HAS_DBUS
#include <QDBusConnection>
#include <QFileInfo>
#endif

static_assert(uint32_t(SystemEventMonitor::ScreenAdded) == DisplayBackend::DisplayAdded &&
                  uint32_t(SystemEventMonitor::ScreenRemoved) == DisplayBackend::DisplayRemoved &&
                  uint32_t(SystemEventMonitor::ScreenGeometry) ==
                      DisplayBackend::DisplayReconfigured,
              "backends report display changes with the hosts' bits");

SystemEventMonitor::SystemEventMonitor(QObject* parent) : QObject(parent)
{
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::screenAdded, this, &SystemEventMonitor::screenAdded);
        connect(app, &QGuiApplication::screenRemoved, this, &SystemEventMonitor::screenRemoved);
        connect(app, &QGuiApplication::applicationStateChanged, this,
                &SystemEventMonitor::applicationStateChanged);
        for (QScreen* screen : QGuiApplication::screens())
            watch(screen);
    }
    watchSession();
    // Backends that hear of changes themselves (a compositor's outputs,
    // which Qt may not show as screens) report them with the same bits.
    DisplayPlatform::setChangeCallback([this](uint32_t events) { raise(events); });
}

SystemEventMonitor::~SystemEventMonitor()
{
    DisplayPlatform::setChangeCallback({});
}

uint32_t SystemEventMonitor::value() const
{
    return __atomic_load_n(&m_word, __ATOMIC_RELAXED);
}

void SystemEventMonitor::clear()
{
    __atomic_store_n(&m_word, 0u, __ATOMIC_RELAXED);
}

void SystemEventMonitor::raise(uint32_t events)
{
    __atomic_or_fetch(&m_word, events, __ATOMIC_RELAXED);
}

void SystemEventMonitor::watch(QScreen* screen)
{
    connect(screen, &QScreen::geometryChanged, this, &SystemEventMonitor::screenGeometryChanged);
}

void SystemEventMonitor::screenAdded(QScreen* screen)
{
    watch(screen);
    raise(ScreenAdded);
}

void SystemEventMonitor::screenRemoved(QScreen*)
{
    raise(ScreenRemoved);
}

void SystemEventMonitor::screenGeometryChanged()
{
    raise(ScreenGeometry);
}

void SystemEventMonitor::applicationStateChanged(Qt::ApplicationState state)
{
    if (state == Qt::ApplicationSuspended)
        raise(AppSuspended);
}

void SystemEventMonitor::prepareForSleep(bool sleeping)
{
    if (sleeping)
        raise(SessionSleep);
}

void SystemEventMonitor::sessionLocked()
{
    raise(SessionLocked);
}

void SystemEventMonitor::screenSaverActiveChanged(bool active)
{
    if (active)
        raise(SessionLocked);
}

void SystemEventMonitor::watchSession()
{
#ifdef HOST_HAS_DBUS
    // Only where a bus runs: merely asking Qt for a bus starts its D-Bus
    // thread, which containers and CI machines do not need.
    if (QFileInfo::exists(QStringLiteral("/run/dbus/system_bus_socket"))) {
        QDBusConnection system = QDBusConnection::systemBus();
        if (system.isConnected()) {
            system.connect("org.freedesktop.login1", "/org/freedesktop/login1",
                           "org.freedesktop.login1.Manager", "PrepareForSleep", this,
                           SLOT(prepareForSleep(bool)));
            system.connect("org.freedesktop.login1", "/org/freedesktop/login1/session/auto",
                           "org.freedesktop.login1.Session", "Lock", this, SLOT(sessionLocked()));
        }
    }
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        QDBusConnection session = QDBusConnection::sessionBus();
        if (session.isConnected()) {
            session.connect("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                            "org.freedesktop.ScreenSaver", "ActiveChanged", this,
                            SLOT(screenSaverActiveChanged(bool)));
        }
    }
#endif
}
