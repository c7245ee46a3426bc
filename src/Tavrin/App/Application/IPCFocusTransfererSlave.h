#pragma once

#include <Tavrin/App/Application/IFocusTransferer.h>
#include <Tavrin/App/Application/IIPCClient.h>
#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Core/CommunicationChannel.h>
#include <Tavrin/Core/RefCount.h>

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <boost/intrusive_ptr.hpp>

Q_DECLARE_INTERFACE(Tavrin::App::IIPCClient, "IIPCClient")
Q_DECLARE_INTERFACE(Tavrin::App::IFocusTransferer, "IFocusTransferer")
Q_DECLARE_INTERFACE(Tavrin::IRefCountable, "IRefCountable")

namespace Tavrin {
namespace App {

// The slave's end of the focus hand-back: when the slave closes, it tells its master
// (APPLICATION_CLOSE_MESSAGE) and switches to the window the master names in its reply
// ("yes=<window id>"; "no" or anything else leaves the focus alone). A thread of Qt's global
// pool watches the master process meanwhile; once it has ended, nothing is sent any more.
// One object per process, through Instance(); use it from the thread that first called Instance,
// which must run an event loop for the master's end to be noticed.
class TAVRIN_APP_EXPORT IPCFocusTransfererSlave : public QObject,
                                                  public IIPCClient,
                                                  public IFocusTransferer,
                                                  public Tavrin::IRefCountable
{
    Q_OBJECT
    Q_INTERFACES(Tavrin::App::IIPCClient Tavrin::App::IFocusTransferer Tavrin::IRefCountable)

public:
    static const QString APPLICATION_CLOSE_MESSAGE;  // "applicationClosed"
    static const QString RETURN_YES;                 // "yes"
    static const QString RETURN_NO;                  // "no"

    // The process's object; until a set-up from the command line has succeeded, every call
    // tries it again.
    static IPCFocusTransfererSlave& Instance();

    void SetCommunicationChannel(boost::intrusive_ptr<Tavrin::Core::IDataChannel> channel) override;
    // Starts watching the process (a pidfd; 0 for none, which counts as already ended). The
    // handle becomes ours.
    void SetAppHandler(long long processHandle) override;
    void ChannelClosed() override;

    // One shot: the first call tells the master and waits for its reply (bounded by the
    // channel's wait limit); every later call does nothing.
    void GiveFocusToParent() override;

    // The count lives on, but the object is a static: a release to zero never deletes it.
    unsigned long AddRef() override;
    unsigned long Release() override;
    unsigned long GetRefCount() const override;

protected:
    IPCFocusTransfererSlave();
    ~IPCFocusTransfererSlave() override;

protected slots:
    void OnMasterDied();

private:
    bool RunningProcessesWatcher();
    void StopWatcher();

    Tavrin::RefCountImpl m_refCount;
    boost::intrusive_ptr<Tavrin::Core::IDataChannel> m_channel;
    long long m_appHandler = 0;
    int m_stopEvent = -1;  // an eventfd; readable once signalled
    QFuture<bool> m_watcherFuture;
    QFutureWatcher<bool> m_watcher;
    bool m_masterAlive = false;
    bool m_clientSetUp = false;
    bool m_focusGiven = false;
};

}  // namespace App
}  // namespace Tavrin
