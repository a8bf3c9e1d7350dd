#include <kit/app/TaskBarEntry.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariantMap>

#include <cstdlib>
#include <mutex>
#include <sys/stat.h>

namespace {

// The session bus's address, when one can be had without starting one: from
// the environment, or the bus socket that a desktop session keeps in the
// user's runtime folder. Without either, asking Qt for "the session bus"
// could start a bus of its own (an X11 auto-launch), which no dock would
// listen to.
std::string SessionBusAddress() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != '\0')
        return address;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0')
        return {};
    const std::string socket = std::string(runtime) + "/bus";
    struct stat info {};
    if (stat(socket.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode))
        return {};
    return "unix:path=" + socket;
}

// The program's connection to the session bus, made on first use and made
// again only when the bus's address changes: a bus that cannot be reached is
// not asked again, since each try could cost a wait.
std::mutex gBusMutex;
std::string gBusAddress;
QDBusConnection* gBus = nullptr;
int gBusCount = 0;

QDBusConnection* Bus() {
    const std::string address = SessionBusAddress();
    if (address == gBusAddress)
        return gBus;
    if (gBus != nullptr) {
        const QString name = gBus->name();
        delete gBus;
        gBus = nullptr;
        QDBusConnection::disconnectFromBus(name);
    }
    gBusAddress = address;
    if (address.empty())
        return nullptr;
    const QString name = QStringLiteral("kit-task-bar-%1").arg(++gBusCount);
    auto* bus =
        new QDBusConnection(QDBusConnection::connectToBus(QString::fromStdString(address), name));
    if (!bus->isConnected()) {
        delete bus;
        QDBusConnection::disconnectFromBus(name);
        return nullptr;
    }
    gBus = bus;
    return gBus;
}

} // namespace

TaskBarEntry::TaskBarEntry(const std::string& desktopId, const std::string& objectPath)
    : fAppUri("application://" + desktopId + ".desktop"), fObjectPath(objectPath) {}

void TaskBarEntry::Show(double progress, int64 count) {
    Send(progress, true, count, true);
}

void TaskBarEntry::Clear() {
    Send(0, false, 0, false);
}

void TaskBarEntry::Send(double progress, bool progressVisible, int64 count, bool countVisible) {
    std::lock_guard guard(gBusMutex);
    QDBusConnection* bus = Bus();
    if (bus == nullptr)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromStdString(fObjectPath), QStringLiteral("com.canonical.Unity.LauncherEntry"),
        QStringLiteral("Update"));
    QVariantMap properties;
    properties.insert(QStringLiteral("progress"), progress);
    properties.insert(QStringLiteral("progress-visible"), progressVisible);
    properties.insert(QStringLiteral("count"), qint64(count));
    properties.insert(QStringLiteral("count-visible"), countVisible);
    signal << QString::fromStdString(fAppUri) << properties;
    bus->send(signal);
}
