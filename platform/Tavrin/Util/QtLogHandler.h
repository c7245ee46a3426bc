#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace Tavrin {
namespace Util {

// Routes Qt's own messages (qDebug() and friends, including those from inside Qt) into the
// application's glog log: debug and info become INFO, warnings WARNING, critical messages
// ERROR. A fatal message is logged as ERROR (filters do not apply to it) and the log is
// flushed before Qt aborts.
// The source location and logging category are kept when Qt provides them.
// All members are safe to call from any thread.
class TAVRIN_APP_EXPORT QtLogHandler
{
public:
    // Returns false to drop the message. A filter that throws lets the message through.
    using Filter = std::function<bool(const QString& message)>;

    static QtLogHandler& GetInstance();

    QtLogHandler(const QtLogHandler&) = delete;
    QtLogHandler& operator=(const QtLogHandler&) = delete;

    // Installs the handler; does nothing when it is installed already.
    void Install();
    // Puts back the handler that was active before Install(), unless another handler has been
    // installed on top of ours since (that one stays, and stops passing messages to us).
    void Uninstall();
    bool IsInstalled() const;

    void AddFilter(Filter filter);
    void ClearFilters();

private:
    using FilterList = std::vector<Filter>;

    QtLogHandler() = default;

    static void HandleMessage(QtMsgType type, const QMessageLogContext& context,
                              const QString& message);
    void Forward(QtMsgType type, const QMessageLogContext& context, const QString& message);
    static bool PassesFilters(const FilterList& filters, const QString& message);

    mutable std::mutex m_mutex;
    // Replaced, never modified, so a message can run the filters without holding the mutex
    // (a filter may log, or take long).
    std::shared_ptr<const FilterList> m_filters = std::make_shared<const FilterList>();
    QtMessageHandler m_previous = nullptr;
    bool m_installed = false;
};

}  // namespace Util
}  // namespace Tavrin
