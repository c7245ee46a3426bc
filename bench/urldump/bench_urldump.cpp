// The diagnostic URL dump: AppTest::HandleTestOptions with --test-dump-urls over the fourteen
// default locales and all 50 link keys (700 URLs), against the raw work it wraps: the same
// placeholder replacement per locale and the same lines written through a QTextStream,
// without switching the interface language.
//
// Fixture: a real Application in a temporary home, a link table with a template for every
// key, a look-and-feel manager with the fourteen locales (empty locale directories, so a
// language switch costs what the manager itself does) and a mail store.
#include <Tavrin/App/Application/AppTest.h>
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ICustomizationManager.h>
#include <Tavrin/App/Application/LookAndFeelManager.h>
#include <Tavrin/App/Application/SettingsManager.h>
#include <Tavrin/Links/URLKeys.h>
#include <Tavrin/Util/SslUsage.h>
#include <Tavrin/Util/StringConversion.h>
#include <Tavrin/Util/VersionToString.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>
#include <iterator>
#include <memory>

namespace {

using namespace Tavrin;

const char* const kLocales[] = {"en_US", "de_DE", "ru_RU", "es_ES", "fr_FR", "it_IT", "ja_JP",
                                "nl_NL", "pl_PL", "pt_BR", "tr_TR", "ko_KR", "zh_CN", "zh_TW"};

struct Customization : App::ICustomizationManager
{
    void ApplyLocale(const std::string&) override {}
    void ApplyCustomization(QWidget*) override {}
    std::string GetOrganizationName() const override { return "Tavrin"; }
    Core::Version GetVersion() const override { return {14, 5, 0}; }
    std::string GetTemporaryFolderName() const override { return "BenchUrlDump"; }
    std::string GetApplicationName() const override { return "Bench Url Dump"; }
    std::string GetAboutProductName() const override { return "Bench Url Dump"; }
    std::string GetApplicationIconPath() const override { return ""; }
    std::string GetModuleName() const override { return "kestrel"; }
    std::string GetProductFolderName() const override { return "BenchUrlDump"; }
    std::string GetSupportEmail() const override { return ""; }
    std::string GetCustomAboutCaption() const override { return ""; }
    std::string GetPostInstallPage() const override { return ""; }
    bool IsEmailDialogEnabled() const override { return false; }
};

QString Template(const QString& key)
{
    return QStringLiteral(
               "{scheme}://www.example.com/{lang}/{module}/%1?v={version}&locale={locale}")
        .arg(key.toLower());
}

struct Fixture
{
    explicit Fixture(const QString& root)
    {
        const QString resources = root + "/resources";
        for (const char* locale : kLocales) {
            QDir().mkpath(resources + "/locales/" + locale);
        }
        QJsonObject table;
        for (const auto& entry : UrlKeyTable()) {
            const QString key = Util::Utf8ToQString(entry.second);
            templates.insert(key, Template(key));
            table.insert(key, Template(key));
        }
        QFile file(resources + "/links.json");
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(table).toJson()) <= 0) {
            std::cerr << "cannot write the link table\n";
            std::exit(1);
        }
        qputenv("TAVRIN_RESOURCES_DIR", QFile::encodeName(resources));

        auto* application = App::Application::Instance();
        application->SetCustomizationManager(customization);
        application->SetSettingsManager(
            std::make_shared<App::SettingsManager>(root + "/store.ini", QSettings::IniFormat));
        lookAndFeel = std::make_shared<App::LookAndFeelManager>(
            root.toStdString(), "title.json", std::list<std::string>{}, std::list<std::string>{});
        lookAndFeel->SetLocale("en_US");
        application->SetLookAndFeel(lookAndFeel);
        rawPath = root + "/raw-url-dump.csv";
    }

    std::shared_ptr<Customization> customization = std::make_shared<Customization>();
    std::shared_ptr<App::LookAndFeelManager> lookAndFeel;
    QHash<QString, QString> templates;
    QString rawPath;
};

Fixture* g_fixture = nullptr;
const int64_t kUrlsPerDump = int64_t(std::size(kLocales)) * int64_t(UrlKeyTable().size());

void BM_AppTest_UrlDump(benchmark::State& state)
{
    for (auto _ : state) {
        App::AppTest::HandleTestOptions({}, App::Application::Instance());
    }
    state.SetItemsProcessed(state.iterations() * kUrlsPerDump);
}
BENCHMARK(BM_AppTest_UrlDump)->Unit(benchmark::kMillisecond);

// The same file by hand: placeholder values gathered once per locale, each template looked
// up and replaced placeholder by placeholder, each line written as the dump writes it.
void BM_Raw_UrlDump(benchmark::State& state)
{
    Fixture& data = *g_fixture;
    for (auto _ : state) {
        QFile file(data.rawPath);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
        QTextStream out(&file);
        out.setCodec("UTF-8");
        for (const char* localeName : kLocales) {
            const QString locale = QLatin1String(localeName);
            const QString values[][2] = {
                {QStringLiteral("{scheme}"), Util::GetDefaultUrlScheme()},
                {QStringLiteral("{locale}"), locale},
                {QStringLiteral("{lang}"), locale.section(QLatin1Char('_'), 0, 0)},
                {QStringLiteral("{module}"),
                 Util::Utf8ToQString(data.customization->GetModuleName())},
                {QStringLiteral("{version}"),
                 Util::VersionToString(data.customization->GetVersion(), 0, QStringLiteral("."))},
            };
            for (const auto& entry : UrlKeyTable()) {
                const QString key = Util::Utf8ToQString(entry.second);
                QString url = data.templates.value(key);
                for (const auto& value : values) {
                    url.replace(value[0], value[1]);
                }
                out << locale << ';' << key << ';' << url << ";\n";
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kUrlsPerDump);
}
BENCHMARK(BM_Raw_UrlDump)->Unit(benchmark::kMillisecond);

// The part of the dump the twin leaves out: switching the interface language to each locale
// and back.
void BM_LocaleSwitches(benchmark::State& state)
{
    Fixture& data = *g_fixture;
    for (auto _ : state) {
        for (const char* locale : kLocales) {
            data.lookAndFeel->SetLocale(locale);
            data.customization->ApplyLocale(locale);
        }
        data.lookAndFeel->SetLocale("en_US");
    }
    state.SetItemsProcessed(state.iterations() * kUrlsPerDump);
}
BENCHMARK(BM_LocaleSwitches)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // Logs, settings and the dump stay in a temporary home.
    QTemporaryDir home;
    for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) {
        qputenv(variable, QFile::encodeName(home.path()));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static char name[] = "bench_urldump";
    static char dump[] = "--test-dump-urls";
    static char* arguments[] = {name, dump, nullptr};
    int count = 2;
    App::Application application(count, arguments, App::Application::AppContext{false});
    Fixture fixture(home.path());
    g_fixture = &fixture;

    App::AppTest::HandleTestOptions({}, &application);
    QFile written(App::AppTest::GetUrlDumpFilePath());
    if (!written.open(QIODevice::ReadOnly) || written.readAll().count('\n') != kUrlsPerDump) {
        std::cerr << "the dump did not list every URL of every locale\n";
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
