#include "KestrelViewerLauncher.h"

#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/IIPCClient.h>
#include <Tavrin/App/Application/ILookAndFeelManager.h>
#include <Tavrin/App/Application/IPCFocusTransfererSlave.h>
#include <Tavrin/App/Application/IPCManager.h>

#include <QAction>
#include <QElapsedTimer>
#include <QEvent>
#include <QMenu>
#include <QWidget>

#include <glog/logging.h>

#include <poll.h>
#include <unistd.h>

namespace Kestrel {

const char KestrelViewerLauncher::PROGRAM[] = "tavrin-kestrel-viewer";

namespace {

using Tavrin::App::IPCFocusTransfererSlave;
using Tavrin::Core::IDataChannel;

const std::chrono::milliseconds kPollInterval{100};

}  // namespace

// One running viewer: the master's end of its channel and its process.
class ViewerSession : public Tavrin::App::IIPCClient
{
public:
    explicit ViewerSession(QByteArray reply) : m_reply(std::move(reply)) {}
    ~ViewerSession() override
    {
        if (m_process > 0) {
            close(static_cast<int>(m_process));
        }
    }

    void SetCommunicationChannel(boost::intrusive_ptr<IDataChannel> channel) override
    {
        m_channel = std::move(channel);
    }
    void SetAppHandler(long long process) override { m_process = process; }
    void ChannelClosed() override { m_channel.reset(); }

    // Looks (waiting at most `wait`) for the viewer's close message and answers it. True once
    // the conversation is over: answered, or the viewer gone without a word.
    bool Step(std::chrono::milliseconds wait)
    {
        if (!m_channel || m_channel->IsClosed()) {
            return true;
        }
        if (!m_channel->HasMessage(wait)) {
            return ViewerEnded();
        }
        QByteArray message(static_cast<int>(m_channel->NextMessageSize()), '\0');
        message.truncate(static_cast<int>(m_channel->ReadMessage(message.data(), message.size())));
        if (message.isEmpty()) {
            return m_channel->IsClosed() || ViewerEnded();
        }
        m_heard = QString::fromUtf8(message);
        if (m_heard == IPCFocusTransfererSlave::APPLICATION_CLOSE_MESSAGE) {
            m_answered = m_channel->WriteMessage(m_reply.constData(), m_reply.size());
            return true;
        }
        return false;  // not ours to answer; keep listening
    }

    QString Heard() const { return m_heard.isEmpty() ? QStringLiteral("(nothing)") : m_heard; }
    QString Answered() const
    {
        return m_answered ? QString::fromUtf8(m_reply) : QStringLiteral("(nothing)");
    }

private:
    bool ViewerEnded() const
    {
        pollfd ended{static_cast<int>(m_process), POLLIN, 0};
        return m_process <= 0 || poll(&ended, 1, 0) > 0;
    }

    const QByteArray m_reply;
    boost::intrusive_ptr<IDataChannel> m_channel;
    long long m_process = 0;
    QString m_heard;
    bool m_answered = false;
};

KestrelViewerLauncher::KestrelViewerLauncher(Tavrin::App::Application& application, QWidget& window,
                                             QMenu* fileMenu)
    : QObject(&window), m_application(application), m_window(window)
{
    m_openAction = new QAction(tr("Open &Viewer"), fileMenu);
    fileMenu->insertAction(fileMenu->actions().value(0), m_openAction);
    connect(m_openAction, &QAction::triggered, this, &KestrelViewerLauncher::Launch);
    window.installEventFilter(this);
    m_poll.setInterval(static_cast<int>(kPollInterval.count()));
    connect(&m_poll, &QTimer::timeout, this, &KestrelViewerLauncher::LookAfterSessions);
}

KestrelViewerLauncher::~KestrelViewerLauncher() = default;

bool KestrelViewerLauncher::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && event->type() == QEvent::LanguageChange) {
        m_openAction->setText(tr("Open &Viewer"));
    }
    return QObject::eventFilter(watched, event);
}

std::unique_ptr<ViewerSession> KestrelViewerLauncher::Start(const QStringList& extraArguments)
{
    const QByteArray reply = Tavrin::App::IPCFocusTransfererSlave::RETURN_YES.toUtf8() + '=' +
                             QByteArray::number(static_cast<qulonglong>(m_window.winId()));
    auto session = std::make_unique<ViewerSession>(reply);
    QStringList arguments = extraArguments;
    if (const auto lookAndFeel = m_application.GetLookAndFeel()) {
        arguments << QStringLiteral("--locale=") +
                         QString::fromStdString(lookAndFeel->GetCurrentLocale());
    }
    if (!Tavrin::App::IPCManager::LaunchSlave(*session, QLatin1String(PROGRAM),
                                              arguments.join(QLatin1Char(' ')), true)) {
        LOG(WARNING) << "The viewer " << PROGRAM << " did not start";
        return nullptr;
    }
    return session;
}

void KestrelViewerLauncher::Launch()
{
    if (auto session = Start({})) {
        m_sessions.push_back(std::move(session));
        m_poll.start();
    }
}

void KestrelViewerLauncher::LookAfterSessions()
{
    for (auto session = m_sessions.begin(); session != m_sessions.end();) {
        if ((*session)->Step(std::chrono::milliseconds(0))) {
            LOG(INFO) << "The viewer said " << (*session)->Heard().toStdString() << "; answered "
                      << (*session)->Answered().toStdString();
            session = m_sessions.erase(session);
        } else {
            ++session;
        }
    }
    if (m_sessions.empty()) {
        m_poll.stop();
    }
}

QStringList KestrelViewerLauncher::RunSmokeExchange(int timeoutMs)
{
    const std::unique_ptr<ViewerSession> session = Start({QStringLiteral("--smoke-close")});
    if (!session) {
        return {QStringLiteral("viewer: did not start")};
    }
    QElapsedTimer elapsed;
    elapsed.start();
    bool over = false;
    while (!over && elapsed.elapsed() < timeoutMs) {
        over = session->Step(kPollInterval);
    }
    return {QStringLiteral("viewer said: ") + session->Heard(),
            QStringLiteral("viewer answered: ") + session->Answered()};
}

}  // namespace Kestrel
