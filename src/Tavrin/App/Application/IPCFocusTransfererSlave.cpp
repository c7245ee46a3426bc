#include "Tavrin/App/Application/IPCFocusTransfererSlave.h"

#include "Tavrin/App/Application/IPCManager.h"

#include <Tavrin/Util/WindowSwitch.h>

#include <QCoreApplication>
#include <QStringList>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <vector>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace Tavrin {
namespace App {

IFocusTransferer::~IFocusTransferer() = default;

const QString IPCFocusTransfererSlave::APPLICATION_CLOSE_MESSAGE =
    QStringLiteral("applicationClosed");
const QString IPCFocusTransfererSlave::RETURN_YES = QStringLiteral("yes");
const QString IPCFocusTransfererSlave::RETURN_NO = QStringLiteral("no");

namespace {

// Set while the object exists, for the routine below.
std::atomic<int> g_stopEvent{-1};

void Signal(int eventFd)
{
    if (eventFd >= 0) {
        const std::uint64_t one = 1;
        ssize_t rc;
        do {
            rc = write(eventFd, &one, sizeof one);
        } while (rc < 0 && errno == EINTR);
    }
}

// The application object, when it goes, waits for every task of the global pool: the watcher
// must not keep it waiting for a master that lives on.
void StopWatcherBeforeThePoolWaits()
{
    Signal(g_stopEvent.load());
}

bool HasEnded(long long process)
{
    pollfd ended{static_cast<int>(process), POLLIN, 0};
    return process > 0 && poll(&ended, 1, 0) > 0;
}

}  // namespace

IPCFocusTransfererSlave& IPCFocusTransfererSlave::Instance()
{
    static IPCFocusTransfererSlave instance;
    if (!instance.m_clientSetUp) {
        IPCManager::SetUpSlaveClient(instance, false);
    }
    return instance;
}

IPCFocusTransfererSlave::IPCFocusTransfererSlave() : m_stopEvent(eventfd(0, EFD_CLOEXEC))
{
    g_stopEvent = m_stopEvent;
    qAddPostRoutine(StopWatcherBeforeThePoolWaits);
    connect(&m_watcher, &QFutureWatcher<bool>::finished, this,
            &IPCFocusTransfererSlave::OnMasterDied);
}

IPCFocusTransfererSlave::~IPCFocusTransfererSlave()
{
    StopWatcher();
    g_stopEvent = -1;
    m_channel.reset();
    if (m_appHandler > 0) {
        close(static_cast<int>(m_appHandler));
    }
    if (m_stopEvent >= 0) {
        close(m_stopEvent);
    }
}

void IPCFocusTransfererSlave::StopWatcher()
{
    Signal(m_stopEvent);
    if (m_watcherFuture.isRunning()) {
        m_watcherFuture.cancel();
    }
    m_watcherFuture.waitForFinished();
}

void IPCFocusTransfererSlave::SetCommunicationChannel(
    boost::intrusive_ptr<Tavrin::Core::IDataChannel> channel)
{
    m_channel = std::move(channel);
    m_masterAlive = true;
    m_clientSetUp = true;
}

void IPCFocusTransfererSlave::SetAppHandler(long long processHandle)
{
    // The previous watcher waits on the handle that goes now: it ends first.
    if (m_watcherFuture.isStarted()) {
        StopWatcher();
        std::uint64_t count;
        while (read(m_stopEvent, &count, sizeof count) < 0 && errno == EINTR) {
        }
    }
    if (m_appHandler > 0) {
        close(static_cast<int>(m_appHandler));
    }
    m_appHandler = processHandle;
    if (m_appHandler <= 0) {
        m_masterAlive = false;  // no master to watch: it is gone already
    }
    m_watcherFuture = QtConcurrent::run(QThreadPool::globalInstance(), this,
                                        &IPCFocusTransfererSlave::RunningProcessesWatcher);
    m_watcher.setFuture(m_watcherFuture);
}

void IPCFocusTransfererSlave::ChannelClosed()
{
    m_channel.reset();
}

bool IPCFocusTransfererSlave::RunningProcessesWatcher()
{
    if (m_appHandler <= 0) {
        return false;
    }
    pollfd events[] = {{static_cast<int>(m_appHandler), POLLIN, 0}, {m_stopEvent, POLLIN, 0}};
    while (poll(events, 2, -1) < 0 && errno == EINTR) {
    }
    return false;
}

void IPCFocusTransfererSlave::OnMasterDied()
{
    m_masterAlive = false;
}

void IPCFocusTransfererSlave::GiveFocusToParent()
{
    if (m_focusGiven) {
        return;
    }
    m_focusGiven = true;
    // The watcher's news may still wait in the event queue: ask the process itself too.
    if (!m_channel || !m_masterAlive || HasEnded(m_appHandler)) {
        return;
    }
    const QByteArray message = APPLICATION_CLOSE_MESSAGE.toLatin1();
    QString reply;
    if (m_channel->WriteMessage(message.constData(), static_cast<std::size_t>(message.size()))) {
        const std::size_t size = m_channel->NextMessageSize();
        std::vector<char> bytes(size + 1, '\0');
        const std::size_t read = size > 0 ? m_channel->ReadMessage(bytes.data(), size) : 0;
        reply = QString::fromUtf8(bytes.data(), static_cast<int>(read));
    }
    // A "yes" without "=" names no window, so the focus stays where it is.
    const QStringList parts = reply.split(QLatin1Char('='), Qt::KeepEmptyParts);
    if (parts.size() >= 2 && parts.first() == RETURN_YES) {
        Util::SwitchToThisWindow(parts.at(1).toLongLong(nullptr, 10), false);
    }
    Signal(m_stopEvent);
}

unsigned long IPCFocusTransfererSlave::AddRef()
{
    return m_refCount.AddRefImpl();
}

unsigned long IPCFocusTransfererSlave::Release()
{
    return m_refCount.ReleaseImpl();
}

unsigned long IPCFocusTransfererSlave::GetRefCount() const
{
    return m_refCount.GetRefCountImpl();
}

}  // namespace App
}  // namespace Tavrin
