// LinksManager::GetUrl for every link key in one locale, against the raw work it wraps: a
// hash lookup of the same templates and QString::replace of each placeholder.
//
// Fixture: a link table with a template for each of the 50 keys (every fifth one an object
// per locale, every tenth one with the e-mail address), read from a temporary resources
// directory, and a real look-and-feel manager and mail store.
#include <Tavrin/App/Application/ICustomizationManager.h>
#include <Tavrin/App/Application/LookAndFeelManager.h>
#include <Tavrin/App/Application/SettingsManager.h>
#include <Tavrin/Links/LinksManager.h>
#include <Tavrin/Links/URLKeys.h>
#include <Tavrin/Util/SslUsage.h>
#include <Tavrin/Util/StringConversion.h>
#include <Tavrin/Util/VersionToString.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

using namespace Tavrin;

struct Customization : App::ICustomizationManager
{
    void ApplyLocale(const std::string&) override {}
    void ApplyCustomization(QWidget*) override {}
    std::string GetOrganizationName() const override { return "Tavrin"; }
    Core::Version GetVersion() const override { return {14, 5, 0}; }
    std::string GetTemporaryFolderName() const override { return "BenchLinks"; }
    std::string GetApplicationName() const override { return "Bench Links"; }
    std::string GetAboutProductName() const override { return "Bench Links"; }
    std::string GetApplicationIconPath() const override { return ""; }
    std::string GetModuleName() const override { return "kestrel"; }
    std::string GetProductFolderName() const override { return "BenchLinks"; }
    std::string GetSupportEmail() const override { return ""; }
    std::string GetCustomAboutCaption() const override { return ""; }
    std::string GetPostInstallPage() const override { return ""; }
    bool IsEmailDialogEnabled() const override { return false; }
};

QString Template(const QString& key, int index)
{
    QString url = QStringLiteral(
                      "{scheme}://www.example.com/{lang}/{module}/%1?v={version}"
                      "&locale={locale}")
                      .arg(key.toLower());
    if (index % 10 == 0)
        url += QStringLiteral("&mail={email}");
    return url;
}

struct Fixture
{
    QTemporaryDir root;
    std::shared_ptr<Customization> customization = std::make_shared<Customization>();
    std::shared_ptr<App::LookAndFeelManager> lookAndFeel;
    std::shared_ptr<App::SettingsManager> mail;
    std::unique_ptr<App::LinksManager> links;
    // The templates of the current locale, as a hand-written generator would keep them.
    QHash<QString, QString> templates;

    Fixture()
    {
        const QString resources = root.path() + "/resources";
        for (const char* locale : {"en_US", "de_DE"})
            QDir().mkpath(resources + "/locales/" + locale);
        QJsonObject table;
        int index = 0;
        for (const auto& entry : UrlKeyTable()) {
            const QString key = Util::Utf8ToQString(entry.second);
            const QString url = Template(key, index);
            templates.insert(key, url);
            if (index % 5 == 0)
                table.insert(key, QJsonObject{{"default", url}, {"ru_RU", url + "&ru"}});
            else
                table.insert(key, url);
            ++index;
        }
        QFile file(resources + "/links.json");
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(table).toJson()) <= 0) {
            std::cerr << "cannot write the link table\n";
            std::exit(1);
        }
        file.close();
        qputenv("TAVRIN_RESOURCES_DIR", QFile::encodeName(resources));

        lookAndFeel = std::make_shared<App::LookAndFeelManager>(
            root.path().toStdString(), "title.json", std::list<std::string>{},
            std::list<std::string>{});
        lookAndFeel->SetLocale("de_DE");
        mail =
            std::make_shared<App::SettingsManager>(root.path() + "/mail.ini", QSettings::IniFormat);
        mail->SetString("UserEmail", "user+bench@example.com");
        links = std::make_unique<App::LinksManager>(customization, lookAndFeel, mail, nullptr);
    }
};

Fixture& Data()
{
    static Fixture fixture;
    return fixture;
}

void BM_LinksManager_GetUrl_AllKeys(benchmark::State& state)
{
    Fixture& data = Data();
    for (auto _ : state) {
        for (const auto& entry : UrlKeyTable())
            benchmark::DoNotOptimize(data.links->GetUrl(entry.first));
    }
    state.SetItemsProcessed(state.iterations() * int64_t(UrlKeyTable().size()));
}
BENCHMARK(BM_LinksManager_GetUrl_AllKeys);

// The same URLs by hand: the placeholder values are gathered once per round (not per key,
// as GetUrl must), then each template is looked up and replaced placeholder by placeholder.
void BM_Raw_ReplaceLoop_AllKeys(benchmark::State& state)
{
    Fixture& data = Data();
    for (auto _ : state) {
        const QString locale = Util::Utf8ToQString(data.lookAndFeel->GetCurrentLocale());
        const QString values[][2] = {
            {QStringLiteral("{scheme}"), Util::GetDefaultUrlScheme()},
            {QStringLiteral("{locale}"), locale},
            {QStringLiteral("{lang}"), locale.section(QLatin1Char('_'), 0, 0)},
            {QStringLiteral("{module}"), Util::Utf8ToQString(data.customization->GetModuleName())},
            {QStringLiteral("{version}"),
             Util::VersionToString(data.customization->GetVersion(), 0, QStringLiteral("."))},
            {QStringLiteral("{email}"),
             QString::fromLatin1(QUrl::toPercentEncoding(
                 Util::Utf8ToQString(data.mail->GetString("UserEmail", ""))))},
        };
        for (const auto& entry : UrlKeyTable()) {
            QString url = data.templates.value(Util::Utf8ToQString(entry.second));
            for (const auto& value : values)
                url.replace(value[0], value[1]);
            benchmark::DoNotOptimize(url);
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(UrlKeyTable().size()));
}
BENCHMARK(BM_Raw_ReplaceLoop_AllKeys);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    QCoreApplication application(argc, argv);
    Data();
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
