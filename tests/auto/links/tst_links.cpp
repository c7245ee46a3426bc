// Links made from the product's link table, opened through the process's URL handlers, and
// the application's entry points to them. Each test builds its own application object (one
// per process at a time).
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ICustomizationManager.h>
#include <Tavrin/App/Application/LookAndFeelManager.h>
#include <Tavrin/App/Application/SettingsManager.h>
#include <Tavrin/App/Application/SharedMessages.h>
#include <Tavrin/Core/NotNull.h>
#include <Tavrin/Links/LinksManager.h>
#include <Tavrin/Links/URLKeys.h>
#include <Tavrin/Util/SslUsage.h>

#include "TestSupport.h"

#include <QDesktopServices>
#include <QDir>
#include <QTranslator>
#include <QUrl>

#include <glog/logging.h>
#include <gtest/gtest.h>

#include <set>

using namespace Tavrin;
using App::Application;
using App::LinksManager;
using App::SettingsManager;

namespace {

int g_argc = 1;
char g_arg0[] = "tst_links";
char* g_argv[] = {g_arg0, nullptr};

struct Customization : App::ICustomizationManager
{
    void ApplyLocale(const std::string&) override {}
    void ApplyCustomization(QWidget*) override {}
    std::string GetOrganizationName() const override { return "Tavrin"; }
    Core::Version GetVersion() const override { return {14, 5, 0, 2}; }
    std::string GetTemporaryFolderName() const override { return "TavrinLinks"; }
    std::string GetApplicationName() const override { return "Tavrin Links"; }
    std::string GetAboutProductName() const override { return "Tavrin Links"; }
    std::string GetApplicationIconPath() const override { return ""; }
    std::string GetModuleName() const override { return "kestrel"; }
    std::string GetProductFolderName() const override { return "TavrinLinks"; }
    std::string GetSupportEmail() const override { return ""; }
    std::string GetCustomAboutCaption() const override { return ""; }
    std::string GetPostInstallPage() const override { return ""; }
    bool IsEmailDialogEnabled() const override { return false; }
};

// ERROR lines and INFO lines about the link table while it lives.
struct LogCapture : google::LogSink
{
    LogCapture() { google::AddLogSink(this); }
    ~LogCapture() override { google::RemoveLogSink(this); }
    using google::LogSink::send;
    void send(google::LogSeverity severity, const char*, const char*, int,
              const google::LogMessageTime&, const char* message, size_t length) override
    {
        (severity >= google::GLOG_ERROR ? errors : infos).emplace_back(message, length);
    }
    std::vector<std::string> errors;
    std::vector<std::string> infos;
};

// Records the web links handed to the desktop services.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    UrlRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "Open"); }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    QStringList opened;
public slots:
    void Open(const QUrl& url) { opened << url.toString(); }
};

const QByteArray kLinks = R"({
    "FAQ_URL_menu": {"default": "{scheme}://example.com/{lang}/faq",
                     "de_DE": "{scheme}://example.de/faq?l={locale}"},
    "HOMEPAGE_URL": "{scheme}://example.com/{module}/{version}?mail={email}&x={unknown}",
    "HELP_URL_menu": {"ru_RU": "https://example.ru/help"},
    "CHANGELOG_URL": "https://example.com/{{lang}}/a}b{c"
})";

QString ProductRoot()
{
    const QString root = Tavrin::Test::NewTempDir(QStringLiteral("product"));
    for (const char* locale : {"en_US", "de_DE", "ru_RU"})
        QDir().mkpath(root + "/resources/locales/" + locale);
    return root;
}

// The product's installed files: three interface languages and a link table, with the
// resources directory pointed at them.
class LinksTest : public ::testing::Test
{
protected:
    LinksTest()
    {
        qputenv("TAVRIN_RESOURCES_DIR", QFile::encodeName(root + "/resources"));
        application.SetCustomizationManager(customization);
        lookAndFeel->SetLocale("en_US");
        mail->SetString("UserEmail", "a+b@example.com");
        WriteLinks(kLinks);
    }
    ~LinksTest() override
    {
        qunsetenv("TAVRIN_RESOURCES_DIR");
        Util::SetDefaultSslUsage(true);
    }

    void WriteLinks(const QByteArray& json)
    {
        ASSERT_TRUE(Tavrin::Test::WriteFile(root + "/resources/links.json", json));
    }
    std::shared_ptr<LinksManager> Manager() const
    {
        return std::make_shared<LinksManager>(customization, lookAndFeel, mail, nullptr);
    }

    Application application{g_argc, g_argv, Application::AppContext{false}};
    QString root = ProductRoot();
    std::shared_ptr<Customization> customization = std::make_shared<Customization>();
    std::shared_ptr<App::LookAndFeelManager> lookAndFeel =
        std::make_shared<App::LookAndFeelManager>(
            root.toStdString(), "title.json", std::list<std::string>{}, std::list<std::string>{});
    std::shared_ptr<SettingsManager> mail = std::make_shared<SettingsManager>(
        Tavrin::Test::NewTempDir(QStringLiteral("mail")) + "/mail.ini", QSettings::IniFormat);
};

TEST_F(LinksTest, TemplatesFollowLocaleAndSslAtEachCall)
{
    const std::shared_ptr<LinksManager> links = Manager();
    struct Case
    {
        const char* locale;
        bool ssl;
        URLKeys key;
        const char* url;
    };
    const Case cases[] = {
        {"en_US", true, FAQ_URL_menu, "https://example.com/en/faq"},
        {"de_DE", true, FAQ_URL_menu, "https://example.de/faq?l=de_DE"},
        {"ru_RU", false, FAQ_URL_menu, "http://example.com/ru/faq"},
        {"de_DE", false, HOMEPAGE_URL,
         "http://example.com/kestrel/14.5.0.2?mail=a%2Bb%40example.com&x={unknown}"},
        {"en_US", true, HELP_URL_menu, ""},
        {"ru_RU", true, HELP_URL_menu, "https://example.ru/help"},
        {"en_US", true, CHANGELOG_URL, "https://example.com/{en}/a}b{c"},
        {"en_US", true, STORE_URL_menu, ""},
        {"en_US", true, URLKeys(4), ""},
    };
    for (const Case& c : cases) {
        lookAndFeel->SetLocale(c.locale);
        Util::SetDefaultSslUsage(c.ssl);
        EXPECT_EQ(links->GetUrl(c.key).toStdString(), c.url) << c.locale << " " << c.key;
    }

    lookAndFeel->SetLocale("en_US");
    EXPECT_EQ(links->GetUrl(QStringLiteral("FAQ_URL_menu")), links->GetUrl(FAQ_URL_menu));
    EXPECT_EQ(links->GenerateUrl(QStringLiteral("HOMEPAGE_URL"),
                                 {{"version", "15"}, {"unknown", "{lang}"}}),
              "https://example.com/kestrel/15?mail=a%2Bb%40example.com&x={lang}");
    EXPECT_EQ(links->GenerateUrl(QStringLiteral("NO_SUCH_KEY"), {{"lang", "x"}}), QString());
}

TEST_F(LinksTest, BrokenTableGivesEmptyUrlsAndOneError)
{
    struct Case
    {
        const char* name;
        QByteArray json;  // null: no file
        const char* helpUrl;
        size_t errors;
    };
    const Case cases[] = {
        {"missing", QByteArray(), "", 0},
        {"malformed", "{\"HELP_URL_menu\": ", "", 1},
        {"not an object", R"(["https://example.com"])", "", 1},
        {"bad members", R"({"FAQ_URL_menu": 3, "HOMEPAGE_URL": {"default": [1]},
                            "HELP_URL_menu": "https://example.com/help"})",
         "https://example.com/help", 1},
    };
    for (const Case& c : cases) {
        QFile::remove(root + "/resources/links.json");
        if (!c.json.isNull())
            WriteLinks(c.json);
        LogCapture log;
        const std::shared_ptr<LinksManager> links = Manager();
        for (int round = 0; round < 2; ++round) {
            EXPECT_EQ(links->GetUrl(FAQ_URL_menu), QString()) << c.name;
            EXPECT_EQ(links->GetUrl(HOMEPAGE_URL), QString()) << c.name;
            EXPECT_EQ(links->GetUrl(HELP_URL_menu).toStdString(), c.helpUrl) << c.name;
        }
        ASSERT_EQ(log.errors.size(), c.errors) << c.name;
        EXPECT_LE(log.infos.size(), 1u) << c.name;
        if (c.errors == 1) {
            EXPECT_NE(log.errors[0].find((root + "/resources/links.json").toStdString()),
                      std::string::npos)
                << log.errors[0];
        }
    }
}

TEST_F(LinksTest, OpeningGoesThroughDesktopServices)
{
    UrlRecorder recorder;
    const std::shared_ptr<LinksManager> links = Manager();
    links->OpenUrl(FAQ_URL_menu);
    links->OpenUrl(STORE_URL_menu);  // no URL: nothing opens
    links->OpenUrl(QString());
    links->OpenUrl(QStringLiteral("https://example.com/direct"));
    EXPECT_EQ(recorder.opened,
              QStringList({"https://example.com/en/faq", "https://example.com/direct"}));
}

TEST(UrlKeyTable, OneKeyStringPerValueInAscendingOrder)
{
    const std::map<URLKeys, std::string>& table = UrlKeyTable();
    ASSERT_EQ(table.size(), 50u);
    std::set<std::string> strings;
    int previous = 0;
    for (const auto& entry : table) {
        EXPECT_GT(int(entry.first), previous);
        previous = entry.first;
        EXPECT_TRUE(strings.insert(entry.second).second) << entry.second;
    }
    EXPECT_EQ(table.begin()->second, "INTELMEDIA_ENCODING_MORE_URL_settings");
    EXPECT_EQ(table.at(FAQ_URL_menu), "FAQ_URL_menu");
    EXPECT_EQ(table.at(URLKeys(26)), "CONTACT_SUPPORT_menu");
    EXPECT_EQ(table.rbegin()->first, INTEL_RSSDK_ABOUT_URL_rssdk);
    EXPECT_THROW(table.at(URLKeys(4)), std::out_of_range);
}

TEST(NotNull, RefusesNullAndActsAsThePointer)
{
    try {
        NotNull<std::shared_ptr<std::string>>{std::shared_ptr<std::string>()};
        FAIL() << "a null pointer was accepted";
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(), "NotNull can not initialized by null");
    }
    const auto text = std::make_shared<std::string>("link");
    const NotNull<std::shared_ptr<const std::string>> wrapped(text);
    EXPECT_EQ(static_cast<const std::shared_ptr<const std::string>&>(wrapped), text);
    EXPECT_EQ(wrapped->size(), 4u);
    EXPECT_EQ(&*wrapped, wrapped.get().get());
}

// Translates every text of the "SharedMessages" context to its two arguments.
struct ArgumentsTranslator : QTranslator
{
    QString translate(const char* context, const char*, const char*, int) const override
    {
        return qstrcmp(context, "SharedMessages") == 0 ? QStringLiteral("%1|%2") : QString();
    }
};

TEST_F(LinksTest, ApplicationMakesItsLinksManagerOnceItsServicesAreSet)
{
    const auto expectRefused = [&] {
        try {
            application.GetLinksManager();
            ADD_FAILURE() << "made a links manager without its services";
        } catch (const std::logic_error& error) {
            EXPECT_STREQ(error.what(), "NotNull can not initialized by null");
        }
    };
    expectRefused();  // no look and feel
    application.SetLookAndFeel(lookAndFeel);
    expectRefused();  // no store to fall back to for the mail
    EXPECT_THROW(application.GetUrl(FAQ_URL_menu), std::logic_error);

    application.SetSettingsManager(mail);
    const std::shared_ptr<App::ILinksManager> links = application.GetLinksManager();
    ASSERT_TRUE(links);
    EXPECT_EQ(application.GetLinksManager(), links);
    EXPECT_EQ(application.GetUrl(STORE_URL_menu), QString());

    // The GPU messages link through the application's GetUrl, styled by its "linkStyle".
    const QString setup = GetGPUNeedSetupDriverMessage(FAQ_URL_menu);
    EXPECT_TRUE(setup.startsWith("NVIDIA<sup>&reg;</sup> CUDA&#8482; acceleration has been"));
    EXPECT_TRUE(setup.endsWith(
        "<a href=\"https://example.com/en/faq\" style=\"\">Detailed Instructions</a>"));
    EXPECT_TRUE(GetGPUUnsupportedDriverMessage(STORE_URL_menu)
                    .endsWith("<a href=\"\" style=\"\">Download Driver</a>"));
    application.setProperty("linkStyle", "color: red");
    ArgumentsTranslator translator;
    application.installTranslator(&translator);
    lookAndFeel->SetLocale("de_DE");
    EXPECT_EQ(GetGPUNeedSetupDriverMessage(FAQ_URL_menu),
              "https://example.de/faq?l=de_DE|color: red");
    EXPECT_EQ(GetGPUUnsupportedDriverMessage(HELP_URL_menu), "|color: red");
    application.removeTranslator(&translator);
}

}  // namespace

#include "tst_links.moc"
