#include "Tavrin/App/Application/AppTest.h"

#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ICustomizationManager.h>
#include <Tavrin/App/Application/ILookAndFeelManager.h>
#include <Tavrin/App/Application/LogURLHandler.h>
#include <Tavrin/App/Application/StartupProfile.h>
#include <Tavrin/Core/Exception.h>
#include <Tavrin/Core/ScopedFunctionCall.h>
#include <Tavrin/Links/ILinksManager.h>
#include <Tavrin/Links/URLKeys.h>
#include <Tavrin/Util/AlertBox.h>
#include <Tavrin/Util/SslUsage.h>
#include <Tavrin/Util/StringConversion.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <glog/logging.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <list>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace Tavrin {
namespace App {
namespace AppTest {

namespace {

const char kTestHelp[] = "test-help";
const char kTestDumpUrls[] = "test-dump-urls";
const char kTestOpenUrls[] = "test-open-urls";
const char kTestLogUrls[] = "test-log-urls";
const char kTestCustomLocales[] = "test-custom-locales";
const char kTestCustomDelay[] = "test-custom-delay";
const char kCrashAfter[] = "crash-after";
const char kSslDisable[] = "ssl-disable";
const char kSslEnable[] = "ssl-enable";
const char kStartupProfile[] = "startup-profile";

const char kDefaultLocales[] =
    "en_US,de_DE,ru_RU,es_ES,fr_FR,it_IT,ja_JP,nl_NL,pl_PL,pt_BR,tr_TR,ko_KR,zh_CN,zh_TW";
// These lead the dump, the languages most links are checked in first.
const char* const kLeadingLocales[] = {"ru_RU", "de_DE", "en_US"};
const int kFirstOpenDelayMs = 10000;
const Qt::WindowFlags kBoxFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint;

// Process-wide, GUI thread only: the locales of the URL dump, replaced by every
// HandleTestOptions, and when (counted from scheduling) the next test URL opens.
std::list<std::string> g_testLocales;
int g_openDelayAccumulator = kFirstOpenDelayMs;

QString Tr(const char* text)
{
    return QCoreApplication::translate("Tavrin::App::AppTest", text);
}

const QCommandLineOption& SslDisableOption()
{
    static const QCommandLineOption option(QLatin1String(kSslDisable),
                                           QStringLiteral("Use http when possible"));
    return option;
}

const QCommandLineOption& SslEnableOption()
{
    static const QCommandLineOption option(QLatin1String(kSslEnable),
                                           QStringLiteral("Use https when possible"));
    return option;
}

// In the order the help lists them.
QList<QCommandLineOption> TestOptions()
{
    return {
        {QLatin1String(kTestHelp), QStringLiteral("Show help for test options")},
        {QLatin1String(kTestDumpUrls), QStringLiteral("Write URLs to dump file")},
        {QLatin1String(kTestOpenUrls), QStringLiteral("Open URLs in browser")},
        {QLatin1String(kTestLogUrls), QStringLiteral("Log opened URLs to file"),
         QStringLiteral("path")},
        {QLatin1String(kTestCustomLocales), QStringLiteral("Set locales: en_US,ru_RU"),
         QStringLiteral("locales"), QLatin1String(kDefaultLocales)},
        {QLatin1String(kTestCustomDelay), QStringLiteral("Set open delay in ms"),
         QStringLiteral("delay"), QStringLiteral("1000")},
        {QLatin1String(kCrashAfter), QStringLiteral("Set crash after timeout in ms"),
         QStringLiteral("crashTimeout"), QStringLiteral("1000")},
        SslDisableOption(),
        SslEnableOption(),
        {QLatin1String(kStartupProfile), QStringLiteral("Print the start-up phases")},
    };
}

// Unknown options belong to the product; parse errors leave the options they concern unset.
void ParseArguments(QCommandLineParser& parser, const QList<QCommandLineOption>& options)
{
    parser.addOptions(options);
    parser.parse(QCoreApplication::arguments());
}

bool IsLeadingLocale(const std::string& locale)
{
    return std::find(std::begin(kLeadingLocales), std::end(kLeadingLocales), locale) !=
           std::end(kLeadingLocales);
}

// The requested locales that the product has, in its order, the leading ones first.
std::list<std::string> SelectTestLocales(const QString& requested)
{
    std::set<std::string> pieces;
    for (const QString& piece : requested.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        pieces.insert(Util::QStringToUtf8(piece));
    }
    std::list<std::string> locales;
    Application* application = Application::Instance();
    const std::shared_ptr<ILookAndFeelManager> lookAndFeel =
        application ? application->GetLookAndFeel() : nullptr;
    if (!lookAndFeel) {
        return locales;  // a dump asked for says why it cannot run
    }
    for (const std::string& locale : lookAndFeel->GetLocales()) {
        if (pieces.count(locale) != 0) {
            locales.push_back(locale);
        }
    }
    std::stable_partition(locales.begin(), locales.end(), IsLeadingLocale);
    return locales;
}

void ShowBox(int level, const QString& title, const QString& text)
{
    Util::AlertBox box(level, title, text, QMessageBox::Ok, nullptr, kBoxFlags);
    box.Exec();
}

void ShowHelp(const QList<QCommandLineOption>& additionalOptions)
{
    QString text;
    for (const QList<QCommandLineOption>& options : {TestOptions(), additionalOptions}) {
        for (const QCommandLineOption& option : options) {
            text += QStringLiteral("--") + option.names().value(0) + QLatin1Char(' ') +
                    option.description() + QLatin1Char('\n');
        }
    }
    ShowBox(0, QString(), text);
}

int SaturatedSum(int a, int b)
{
    const long long sum = static_cast<long long>(a) + b;
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, sum)));
}

// Each URL opens at the accumulator's moment, which then moves on by `delay`.
void ScheduleOpening(const std::shared_ptr<ILinksManager>& links, const QString& url, int delay,
                     QObject* context)
{
    QTimer::singleShot(std::max(0, g_openDelayAccumulator), Qt::PreciseTimer, context,
                       [links, url] { links->OpenUrl(url); });
    g_openDelayAccumulator = SaturatedSum(g_openDelayAccumulator, delay);
}

struct Services
{
    std::shared_ptr<ICustomizationManager> customization;
    std::shared_ptr<ILookAndFeelManager> lookAndFeel;
    std::shared_ptr<ILinksManager> links;
};

bool GetServices(Services& services)
{
    Application* application = Application::Instance();
    if (!application || !application->GetCustomizationManager() || !application->GetLookAndFeel()) {
        LOG(ERROR) << "URL dump: needs the application with its customization and "
                      "look-and-feel managers";
        return false;
    }
    services.customization = application->GetCustomizationManager();
    services.lookAndFeel = application->GetLookAndFeel();
    try {
        services.links = application->GetLinksManager();
    } catch (const std::logic_error& error) {
        LOG(ERROR) << "URL dump: no links manager: " << error.what();
        return false;
    }
    return true;
}

using FoundLinks = std::vector<std::pair<std::string, std::string>>;

// The links of the current locale, in ascending key order; keys without a URL are logged.
FoundLinks CollectLinks(const Services& services)
{
    FoundLinks found;
    const std::string module = services.customization->GetModuleName();
    for (const auto& entry : UrlKeyTable()) {
        const std::string url = Util::QStringToUtf8(services.links->GetUrl(entry.first));
        if (!url.empty()) {
            found.emplace_back(entry.second, url);
        } else {
            LOG(WARNING) << "Cannot find url " << entry.second << "for module " << module;
        }
    }
    return found;
}

void DumpUrls(const QString& path, bool open, int delay, QObject* context)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        LOG(ERROR) << "Can't open file to dump: " << path.toStdString();
        ShowBox(1, Tr("Config test error"), Tr("Can't open file to dump: ") + path);
        return;
    }
    Services services;
    if (!GetServices(services)) {
        return;
    }
    const std::string savedLocale = services.lookAndFeel->GetCurrentLocale();
    const Core::ScopedFunctionCall restoreLocale(nullptr, [&services, savedLocale] {
        services.lookAndFeel->SetLocale(savedLocale);
        services.customization->ApplyLocale(savedLocale);
    });

    FoundLinks all;
    std::string records;  // UTF-8 already, written as it stands
    for (const std::string& locale : g_testLocales) {
        services.lookAndFeel->SetLocale(locale);
        services.customization->ApplyLocale(locale);
        const FoundLinks found = CollectLinks(services);
        records.clear();
        for (const auto& link : found) {
            records.append(locale).append(1, ';').append(link.first).append(1, ';');
            records.append(link.second).append(";\n");
        }
        file.write(records.data(), static_cast<qint64>(records.size()));
        all.insert(all.end(), found.begin(), found.end());
    }
    if (open) {
        for (const auto& link : all) {
            ScheduleOpening(services.links, Util::Utf8ToQString(link.second), delay, context);
        }
    }
    file.close();
}

void InstallUrlLog(const QString& path, QObject* parent)
{
    // Someone must own it: without a parent, the application does.
    auto* handler = new LogURLHandler(parent ? parent : QCoreApplication::instance(), path);
    for (const char* scheme : {"http", "https"}) {
        QDesktopServices::setUrlHandler(QLatin1String(scheme), handler, "logUrls");
    }
}

// Like a real crash: no quit path and no destructor, so this run's session stays open.
void ScheduleCrash(int milliseconds, QObject* context)
{
    QTimer::singleShot(std::max(0, milliseconds), Qt::PreciseTimer, context, [] {
        LOG(ERROR) << "Crashing on request (--" << kCrashAfter << ")";
        std::abort();
    });
}

}  // namespace

void HandleGlobalTestOptions()
{
    QCommandLineParser parser;
    ParseArguments(parser, {SslDisableOption(), SslEnableOption()});
    const bool disable = parser.isSet(SslDisableOption());
    const bool enable = parser.isSet(SslEnableOption());
    if (disable && enable) {
        TAVRIN_THROW(Tavrin::Exception, "Invalid options combination.");
    }
    if (disable) {
        Util::SetDefaultSslUsage(false);
    }
    if (enable) {
        Util::SetDefaultSslUsage(true);
    }
}

void HandleTestOptions(QList<QCommandLineOption> additionalOptions, QObject* parent)
{
    QCommandLineParser parser;
    ParseArguments(parser, TestOptions());
    g_testLocales = SelectTestLocales(parser.value(QLatin1String(kTestCustomLocales)));
    const int delay = parser.value(QLatin1String(kTestCustomDelay)).toInt(nullptr, 10);

    if (parser.isSet(QLatin1String(kTestHelp))) {
        ShowHelp(additionalOptions);
    }
    const bool open = parser.isSet(QLatin1String(kTestOpenUrls));
    if (open || parser.isSet(QLatin1String(kTestDumpUrls))) {
        DumpUrls(GetUrlDumpFilePath(), open, delay, parent);
    }
    if (parser.isSet(QLatin1String(kTestLogUrls))) {
        InstallUrlLog(parser.value(QLatin1String(kTestLogUrls)), parent);
    }
    if (parser.isSet(QLatin1String(kStartupProfile))) {
        StartupProfile::Instance().SetEchoToStdout(true);
    }
    if (parser.isSet(QLatin1String(kCrashAfter))) {
        ScheduleCrash(parser.value(QLatin1String(kCrashAfter)).toInt(nullptr, 10), parent);
    }
}

QString GetUrlDumpFilePath()
{
    Application* application = Application::Instance();
    const std::shared_ptr<ICustomizationManager> customization =
        application ? application->GetCustomizationManager() : nullptr;
    if (!customization) {
        return QString();
    }
    return QStandardPaths::writableLocation(QStandardPaths::DataLocation) + QLatin1Char('/') +
           Util::Utf8ToQString(customization->GetModuleName()) + QStringLiteral("-url-dump.csv");
}

}  // namespace AppTest
}  // namespace App
}  // namespace Tavrin
