#include "Tavrin/App/Application/IPCManager.h"

#include "Tavrin/App/Application/IIPCClient.h"
#include "Tavrin/App/Application/SlaveSwitches_p.h"

#include <Tavrin/Core/CommunicationChannel.h>
#include <Tavrin/Core/DataPipe.h>
#include <Tavrin/Core/Exception.h>
#include <Tavrin/Core/ioPath.h>
#include <Tavrin/Util/StringConversion.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <cstdlib>
#include <ctime>

#include <sys/syscall.h>
#include <unistd.h>

namespace Tavrin {
namespace App {

IIPCClient::~IIPCClient() = default;

const QString IPCManager::SLAVE_INPUT_PIPE_TEMPLATE =
    QStringLiteral("\\\\.\\pipe\\TavrinIPCInput%1");
const QString IPCManager::SLAVE_OUTPUT_PIPE_TEMPLATE =
    QStringLiteral("\\\\.\\pipe\\TavrinIPCOutput%1");
const QString IPCManager::PIPE_ID_SWITCH = QStringLiteral("/MasterPipeId=");
const QString IPCManager::PROCESS_ID_SWITCH = QStringLiteral("/ProcessId=");

namespace {

using Tavrin::Core::IDataChannel;

// Every id drawn (0 to RAND_MAX) in use many times over: something is wrong, stop drawing.
constexpr long kMaxDraws = 4L * (RAND_MAX + 1L);

// The executable to start: under the application's directory when it is there, else the path
// as given when it is absolute. A relative path found nowhere is refused: it would be looked
// up in the working directory, where anybody may have put a program of that name.
QString ResolveExecutable(const QString& slavePath)
{
    if (slavePath.isEmpty()) {
        return QString();
    }
    const ioPath underApplication = (ioPath(QCoreApplication::applicationDirPath().toStdWString()) /
                                     ioPath(slavePath.toStdWString()))
                                        .make_preferred();
    QString executable;
    if (underApplication.exists()) {
        executable = QString::fromStdWString(underApplication.wstring());
    } else {
        executable =
            QString::fromStdWString(ioPath(slavePath.toStdWString()).make_preferred().wstring());
        if (QDir::isRelativePath(executable)) {
            return QString();
        }
    }
    return QFileInfo(executable).isDir() ? QString() : executable;
}

QString PipeName(const QString& nameTemplate, const QString& id)
{
    return nameTemplate.arg(id, 0, QLatin1Char(' '));
}

// A pipe id whose pipes nobody holds now.
QString DrawPipeId(long& draws)
{
    for (; draws < kMaxDraws; ++draws) {
        const QString id = QStringLiteral("%1").arg(std::rand(), 0, 10, QLatin1Char(' '));
        if (!Core::DataPipeExists(
                Util::QStringToUtf8(PipeName(IPCManager::SLAVE_OUTPUT_PIPE_TEMPLATE, id))) &&
            !Core::DataPipeExists(
                Util::QStringToUtf8(PipeName(IPCManager::SLAVE_INPUT_PIPE_TEMPLATE, id)))) {
            ++draws;
            return id;
        }
    }
    return QString();
}

// The master's channel on a fresh pipe id; null when the pipes cannot be made. Another master
// may take the same id between our test and our making: then we draw again.
boost::intrusive_ptr<IDataChannel> CreateMasterChannel(bool channelFlag, QString& pipeId)
{
    long draws = 0;
    for (;;) {
        pipeId = DrawPipeId(draws);
        if (pipeId.isEmpty()) {
            return nullptr;
        }
        const std::string outputName =
            Util::QStringToUtf8(PipeName(IPCManager::SLAVE_OUTPUT_PIPE_TEMPLATE, pipeId));
        const std::string inputName =
            Util::QStringToUtf8(PipeName(IPCManager::SLAVE_INPUT_PIPE_TEMPLATE, pipeId));
        try {
            auto input = Core::DataInputPipe::Create(outputName, true);
            auto output = Core::DataOutputPipe::Create(inputName, true);
            return Core::CommunicationChannel::Create(input, output, channelFlag);
        } catch (const Core::IOException&) {
            if (!Core::DataPipeExists(outputName) && !Core::DataPipeExists(inputName)) {
                return nullptr;
            }
        }
    }
}

// The slave's arguments: the given ones split at blanks (no quoting: a product passes words),
// then the two switches.
QStringList SlaveArguments(const QString& arguments, const QString& pipeId, qint64 masterPid)
{
    const QString parameters = arguments + QLatin1Char(' ') + IPCManager::PIPE_ID_SWITCH + pipeId +
                               QLatin1Char(' ') + IPCManager::PROCESS_ID_SWITCH +
                               QString::number(masterPid, 10);
    return parameters.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

long long OpenProcess(qint64 pid)
{
    if (pid <= 0) {
        return 0;
    }
    // Through syscall(): this C library declares pidfd_open without C linkage for C++.
    const long handle = syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0);
    return handle < 0 ? 0 : handle;
}

}  // namespace

bool IPCManager::LaunchSlave(IIPCClient& client, const QString& slavePath, const QString& arguments,
                             bool channelFlag)
{
    const QString executable = ResolveExecutable(slavePath);
    if (executable.isEmpty()) {
        return false;
    }
    const QString workingDirectory = QString::fromStdWString(
        ioPath(executable.toStdWString()).parent_path().make_preferred().wstring());
    const qint64 masterPid = QCoreApplication::applicationPid();

    std::srand(static_cast<unsigned>(std::time(nullptr)));
    QString pipeId;
    const boost::intrusive_ptr<IDataChannel> channel = CreateMasterChannel(channelFlag, pipeId);
    if (!channel) {
        return false;
    }
    client.SetCommunicationChannel(channel);

    qint64 slavePid = 0;
    if (!QProcess::startDetached(executable, SlaveArguments(arguments, pipeId, masterPid),
                                 workingDirectory, &slavePid)) {
        return false;
    }
    client.SetAppHandler(OpenProcess(slavePid));
    return true;
}

bool IPCManager::SetUpSlaveClient(IIPCClient& client, bool channelFlag)
{
    const SlaveSwitches switches = ReadSlaveSwitches(QCoreApplication::arguments());
    const QString& pipeId = switches.pipeId;
    const int masterPid = switches.masterPid;
    if (pipeId.isEmpty() || masterPid == 0) {
        return false;
    }
    boost::intrusive_ptr<IDataChannel> channel;
    try {
        auto input = Core::DataInputPipe::Create(
            Util::QStringToUtf8(PipeName(SLAVE_INPUT_PIPE_TEMPLATE, pipeId)), false);
        auto output = Core::DataOutputPipe::Create(
            Util::QStringToUtf8(PipeName(SLAVE_OUTPUT_PIPE_TEMPLATE, pipeId)), false);
        channel = Core::CommunicationChannel::Create(input, output, channelFlag);
    } catch (const Core::IOException&) {
        return false;
    }
    client.SetCommunicationChannel(channel);
    client.SetAppHandler(OpenProcess(masterPid));
    return true;
}

}  // namespace App
}  // namespace Tavrin
