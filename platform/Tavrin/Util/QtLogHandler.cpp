#include "Tavrin/Util/QtLogHandler.h"

#include <QByteArray>

#include <glog/logging.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace Tavrin {
namespace Util {

namespace {

google::LogSeverity SeverityOf(QtMsgType type)
{
    switch (type) {
        case QtDebugMsg:
        case QtInfoMsg:
            return google::GLOG_INFO;
        case QtWarningMsg:
            return google::GLOG_WARNING;
        case QtCriticalMsg:
        case QtFatalMsg:
            return google::GLOG_ERROR;
    }
    return google::GLOG_ERROR;
}

// Qt names its unnamed category "default"; repeating that on every line says nothing.
bool IsNamedCategory(const char* category)
{
    return category && *category && std::strcmp(category, "default") != 0;
}

void WriteToGlog(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const bool hasFile = context.file && *context.file;
    google::LogMessage entry(hasFile ? context.file : "qt", hasFile ? context.line : 0,
                             SeverityOf(type));
    if (IsNamedCategory(context.category)) {
        entry.stream() << '[' << context.category << "] ";
    }
    entry.stream() << message.toStdString();
}

// Reached through a handler that was installed on top of ours and chains to it, after we were
// uninstalled: behave as if we were not there.
void PassOn(QtMessageHandler previous, QtMsgType type, const QMessageLogContext& context,
            const QString& message)
{
    if (previous) {
        previous(type, context, message);
        return;
    }
    const QByteArray line = qFormatLogMessage(type, context, message).toLocal8Bit();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
}

}  // namespace

QtLogHandler& QtLogHandler::GetInstance()
{
    // Never destroyed: Qt may still report messages while static objects are torn down.
    static auto* instance = new QtLogHandler;
    return *instance;
}

void QtLogHandler::Install()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_installed) {
        return;
    }
    m_previous = qInstallMessageHandler(&QtLogHandler::HandleMessage);
    m_installed = true;
}

void QtLogHandler::Uninstall()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_installed) {
        return;
    }
    const QtMessageHandler current = qInstallMessageHandler(m_previous);
    if (current == &QtLogHandler::HandleMessage) {
        m_previous = nullptr;
    } else {
        // Someone installed a handler after us and may still chain to ours: keep theirs on
        // top, and keep m_previous so that what reaches us goes where it went before Install.
        qInstallMessageHandler(current);
    }
    m_installed = false;
}

bool QtLogHandler::IsInstalled() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_installed;
}

void QtLogHandler::AddFilter(Filter filter)
{
    if (!filter) {
        return;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    auto filters = std::make_shared<FilterList>(*m_filters);
    filters->push_back(std::move(filter));
    m_filters = std::move(filters);
}

void QtLogHandler::ClearFilters()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_filters = std::make_shared<const FilterList>();
}

void QtLogHandler::HandleMessage(QtMsgType type, const QMessageLogContext& context,
                                 const QString& message)
{
    GetInstance().Forward(type, context, message);
}

void QtLogHandler::Forward(QtMsgType type, const QMessageLogContext& context,
                           const QString& message)
{
    bool installed = false;
    QtMessageHandler previous = nullptr;
    std::shared_ptr<const FilterList> filters;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        installed = m_installed;
        previous = m_previous;
        filters = m_filters;
    }
    if (!installed) {
        PassOn(previous, type, context, message);
        return;
    }
    if (type != QtFatalMsg && !PassesFilters(*filters, message)) {
        return;
    }
    WriteToGlog(type, context, message);
    if (type == QtFatalMsg) {
        // Qt aborts as soon as we return; whatever is buffered would be lost.
        google::FlushLogFiles(google::GLOG_INFO);
    }
}

bool QtLogHandler::PassesFilters(const FilterList& filters, const QString& message)
{
    for (const Filter& filter : filters) {
        try {
            if (!filter(message)) {
                return false;
            }
        } catch (...) {
            // A broken filter must not cost us the message, nor the process.
        }
    }
    return true;
}

}  // namespace Util
}  // namespace Tavrin
