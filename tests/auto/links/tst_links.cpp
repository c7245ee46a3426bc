// Links made from the product's link table, opened through the process's URL handlers, and
// the application's entry points to them. Each test builds its own application object (one
// per process at a time).
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/LookAndFeelManager.h>
#include <Tavrin/App/Application/SettingsManager.h>
#include <Tavrin/App/Application/SharedMessages.h>
#include <Tavrin/Links/LinksManager.h>
#include <Tavrin/Util/SslUsage.h>

#include "LogCapture.h"
#include "TestCustomization.h"
#include "TestSupport.h"

#include <QDesktopServices>
#include <QDir>
#include <QTranslator>
#include <QUrl>

#include <gmock/gmock.h>

#include <set>

using namespace Tavrin;
using namespace Tavrin::App;
using namespace testing;
namespace Support = Tavrin::Test;

namespace {

int g_argc = 1;
char* g_argv[] = {const_cast<char*>("tst_links"), nullptr};

// Records the links handed to the desktop services, of every scheme they could have here.
// Qt forgets a handler when it is destroyed.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    UrlRecorder()
    {
        for (const char* scheme : {"http", "https", "mailto", "file", "javascript", "ftp"})
            QDesktopServices::setUrlHandler(scheme, this, "Open");
    }
    Q_INVOKABLE void Open(const QUrl& url) { opened << url.toString(); }
    QStringList opened;
};

const QByteArray kLinks = R"({
    "FAQ_URL_menu": {"default": "{scheme}://example.com/{lang}/faq",
                     "de_DE": "{scheme}://example.de/faq?l={locale}"},
    "HOMEPAGE_URL": "{scheme}://example.com/{module}/{version}?mail={email}&x={unknown}",
    "HELP_URL_menu": {"ru_RU": "https://example.ru/help"},
    "CHANGELOG_URL": "https://example.com/{{lang}}/a}b{c"
})";

// The product's installed files: three interface languages and a link table, with the
// resources directory pointed at them.
struct LinksTest : ::testing::Test
{
    LinksTest()
    {
        for (const char* locale : {"en_US", "de_DE", "ru_RU"})
            QDir().mkpath(root + "/resources/locales/" + locale);
        lookAndFeel.reset(new LookAndFeelManager(root.toStdString(), "title.json", {}, {}));
        qputenv("TAVRIN_RESOURCES_DIR", QFile::encodeName(root + "/resources"));
        customization->version = {14, 5, 0, 2};
        application.SetCustomizationManager(customization);
        mail->SetString("UserEmail", "a+b@example.com");
        EXPECT_TRUE(Support::WriteFile(table, kLinks));
    }

    Application application{g_argc, g_argv, Application::AppContext{false}};
    QString root = Support::NewTempDir("product"), table = root + "/resources/links.json";
    std::shared_ptr<Support::Customization> customization =
        std::make_shared<Support::Customization>();
    std::shared_ptr<LookAndFeelManager> lookAndFeel;
    std::shared_ptr<SettingsManager> mail = std::make_shared<SettingsManager>(
        Support::NewTempDir("mail") + "/mail.ini", QSettings::IniFormat);
};

// Locale and scheme are asked at every call; opening goes through the desktop services.
TEST_F(LinksTest, TemplatesFollowLocaleAndSslAtEachCall)
{
    EXPECT_THAT([&] { LinksManager(nullptr, lookAndFeel, mail, nullptr); },
                ThrowsMessage<std::logic_error>(StrEq("NotNull can not initialized by null")));
    const LinksManager links(customization, lookAndFeel, mail, nullptr);
    const std::tuple<const char*, bool, URLKeys, const char*> cases[] = {
        {"en_US", true, FAQ_URL_menu, "https://example.com/en/faq"},
        {"de_DE", true, FAQ_URL_menu, "https://example.de/faq?l=de_DE"},
        {"ru_RU", false, FAQ_URL_menu, "http://example.com/ru/faq"},
        {"de_DE", false, HOMEPAGE_URL,
         "http://example.com/test/14.5.0.2?mail=a%2Bb%40example.com&x={unknown}"},
        {"en_US", true, HELP_URL_menu, ""},
        {"ru_RU", true, HELP_URL_menu, "https://example.ru/help"},
        {"en_US", true, CHANGELOG_URL, "https://example.com/{en}/a}b{c"},
        {"en_US", true, STORE_URL_menu, ""},
        {"en_US", true, URLKeys(4), ""},
    };
    for (const auto& [locale, ssl, key, url] : cases) {
        lookAndFeel->SetLocale(locale);
        Util::SetDefaultSslUsage(ssl);
        EXPECT_EQ(links.GetUrl(key).toStdString(), url) << locale << " " << key;
    }

    // Still en_US over SSL, as the last case left it. String keys are the key table's: one
    // distinct string per value.
    EXPECT_EQ(links.GetUrl(QStringLiteral("FAQ_URL_menu")), links.GetUrl(FAQ_URL_menu));
    std::set<std::string> strings;
    for (const auto& [key, text] : UrlKeyTable())
        strings.insert(text);
    EXPECT_EQ(strings.size(), UrlKeyTable().size());
    EXPECT_EQ(links.GenerateUrl("HOMEPAGE_URL", {{"version", "15"}, {"unknown", "{lang}"}}),
              "https://example.com/test/15?mail=a%2Bb%40example.com&x={lang}");
    EXPECT_EQ(links.GenerateUrl("NO_SUCH_KEY", {{"lang", "x"}}), QString());
}

// The table is read and reported once: an INFO line when missing, an ERROR when broken.
TEST_F(LinksTest, BrokenTableGivesEmptyUrlsAndOneLogLine)
{
    const std::tuple<const char*, QByteArray, const char*, google::LogSeverity> cases[] = {
        {"missing", QByteArray(), "", google::GLOG_INFO},
        {"malformed", "{\"HELP_URL_menu\": ", "", google::GLOG_ERROR},
        {"not an object", R"(["https://example.com"])", "", google::GLOG_ERROR},
        {"bad members", R"({"FAQ_URL_menu": 3, "HOMEPAGE_URL": {"default": [1]},
                            "HELP_URL_menu": "https://example.com/help"})",
         "https://example.com/help", google::GLOG_ERROR},
    };
    for (const auto& [name, json, helpUrl, severity] : cases) {
        QFile::remove(table);
        ASSERT_TRUE(json.isNull() || Support::WriteFile(table, json));
        Support::LogCapture log;
        const LinksManager links(customization, lookAndFeel, mail, nullptr);
        for (int round = 0; round < 2; ++round) {
            EXPECT_EQ(links.GetUrl(FAQ_URL_menu) + links.GetUrl(HOMEPAGE_URL), QString()) << name;
            EXPECT_EQ(links.GetUrl(HELP_URL_menu).toStdString(), helpUrl) << name;
        }
        EXPECT_THAT(log.lines, ElementsAre(Pair(severity, HasSubstr(table.toStdString())))) << name;
    }
}

// Links open through the desktop services. The desktop's opener takes options and runs local
// launchers: only absolute web and mail links get that far. A template of any length expands
// in one pass.
TEST_F(LinksTest, OnlyAbsoluteWebAndMailLinksAreOpenedAndLongTemplatesExpand)
{
    const char* const opened[] = {"https://example.com/ok", "HTTP://Example.com/",
                                  "mailto:support@example.com"};
    const char* const refused[] = {"--help",
                                   "-e",
                                   "help/index.html",
                                   "javascript:alert(1)",
                                   "ftp://example.com/",
                                   "https:///no-host",
                                   "https://-evil.example/",
                                   "https://exa mple.com/",
                                   "mailto:",
                                   "file:///usr/share/applications/evil.desktop"};
    const LinksManager links(customization, lookAndFeel, mail, nullptr);
    UrlRecorder desktop;
    Support::LogCapture log(google::GLOG_WARNING);
    links.OpenUrl(FAQ_URL_menu);
    links.OpenUrl(STORE_URL_menu);  // no URL: nothing opens
    for (const char* url : opened)
        links.OpenUrl(QString::fromUtf8(url));
    for (const char* url : refused) {
        links.OpenUrl(QString::fromUtf8(url));
        EXPECT_EQ(log.Count(std::string("Not opening \"") + url + "\""), 1) << url;
    }
    EXPECT_EQ(desktop.opened, QStringList({links.GetUrl(FAQ_URL_menu), "https://example.com/ok",
                                           "http://example.com/", "mailto:support@example.com"}))
        << desktop.opened.join(' ').toStdString();
    EXPECT_EQ(log.lines.size(), std::size(refused));

    const QString braces(1 << 21, '}');
    ASSERT_TRUE(
        Support::WriteFile(table, ("{\"FAQ_URL_menu\": \"x{lang}" + braces + "\"}").toUtf8()));
    lookAndFeel->SetLocale("de_DE");
    EXPECT_EQ(LinksManager(customization, lookAndFeel, mail, nullptr).GetUrl(FAQ_URL_menu),
              "xde" + braces);
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
    EXPECT_THROW(application.GetLinksManager(), std::logic_error);  // no look and feel
    application.SetLookAndFeel(lookAndFeel);
    EXPECT_THROW(application.GetUrl(FAQ_URL_menu), std::logic_error);  // no mail store

    application.SetSettingsManager(mail);
    EXPECT_EQ(application.GetLinksManager(), application.GetLinksManager());

    // The GPU messages, translated in their own context, link through the application's
    // GetUrl in the locale of the call, styled by its "linkStyle".
    application.setProperty("linkStyle", "color: red");
    ArgumentsTranslator translator;
    application.installTranslator(&translator);
    lookAndFeel->SetLocale("de_DE");
    EXPECT_EQ(GetGPUNeedSetupDriverMessage(FAQ_URL_menu),
              "https://example.de/faq?l=de_DE|color: red");
    EXPECT_EQ(GetGPUUnsupportedDriverMessage(HELP_URL_menu), "|color: red");
}

}  // namespace

#include "tst_links.moc"
