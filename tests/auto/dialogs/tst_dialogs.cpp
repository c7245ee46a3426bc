// The stock dialogs inside one product process: the newsletter card and its store, the about
// card, the informer and its links. Web links go through the application's handler to a fake
// browser. (The card offered by a real first launch is the demo test's and the application
// test's.)
#include <Tavrin/App/Application/AboutBoxDialog.h>
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/DialogSupport_p.h>
#include <Tavrin/App/Application/EmailDialog.h>
#include <Tavrin/App/Application/Informer.h>
#include <Tavrin/App/Application/LookAndFeelManager.h>
#include <Tavrin/App/Application/SettingsManager.h>

#include "LogCapture.h"
#include "TestCustomization.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTest>
#include <QToolTip>
#include <QTranslator>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

// Readable texts in failure messages.
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

using namespace Tavrin::App;
using Tavrin::Util::AlertBox;
namespace Support = Tavrin::Test;

namespace {

const int kWaitMs = 30000;
const char kCopied[] = "Email address has been copied to the clipboard";
// The product's link table: its own about link carries a "%1" that must survive.
const char kLinkTable[] =
    "{\"CUSTOM_ABOUT_URL\": \"https://www.tavrin.example/{lang}/deal?code=%1\"}";

Application* g_app = nullptr;
QString g_browserLog;  // what the fake preferred browser was asked to open
std::shared_ptr<Support::Customization> g_customization;
std::shared_ptr<LookAndFeelManager> g_lookAndFeel;

// A new, empty mail store on a file of its own; returns the file.
QString UseNewMailStore()
{
    const QString path = Support::NewTempDir("mail") + "/mail.ini";
    g_app->SetMailSettingsManager(std::make_shared<SettingsManager>(path, QSettings::IniFormat));
    return path;
}

// The registration keys of a mail store as another process reads them, values only:
// "<UserEmail> <isConfirmed> <IsRegUser>", "(none)" for a missing key.
QString StoredInAnotherProcess(const QString& ini)
{
    QCoreApplication::sendPostedEvents();  // the store writes its file from the event loop
    QProcess reader;
    reader.start(Support::HelperExecutable(),
                 {"read-ini", ini, "UserEmail", "isConfirmed", "IsRegUser"});
    reader.waitForFinished(kWaitMs);
    QStringList values;
    for (const QString& line : QString::fromUtf8(reader.readAllStandardOutput()).split('\n'))
        values << line.section('=', 1);
    return values.join(' ').trimmed();
}

// The URLs the preferred browser has been started with, oldest first (none before it ran).
QStringList OpenedUrls()
{
    return Support::ReadLines(g_browserLog).filter(QRegularExpression("^(?!--$|\\(missing\\)$)"));
}

template <typename T>
T* Child(QObject& parent, const char* name)
{
    T* child = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// Receives what QDesktopServices hands to mail programs while it lives (Qt drops the handler
// of a destroyed receiver).
class MailRecorder : public QObject
{
    Q_OBJECT
public:
    MailRecorder() { QDesktopServices::setUrlHandler("mailto", this, "record"); }
    Q_INVOKABLE void record(const QUrl& url) { urls << url.toString(); }
    QStringList urls;
};

// Translates every text of the library into one word, as a language switch would.
struct OneWordTranslator : QTranslator
{
    QString translate(const char*, const char*, const char* = nullptr, int = -1) const override
    {
        return QStringLiteral("Translated");
    }
    bool isEmpty() const override { return false; }
};

// Calls `act` from inside the modal loop of the box of type T that is about to run (the box
// is shown before its loop handles the timer).
template <typename T>
void WhenModal(QObject& context, std::function<void(T*)> act)
{
    QTimer::singleShot(0, &context, [act] {
        T* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        ASSERT_NE(modal, nullptr);
        act(modal);
    });
}

void SetLocale(const char* locale)
{
    g_lookAndFeel->SetLocale(locale);
    ASSERT_EQ(g_lookAndFeel->GetCurrentLocale(), locale);
}

void ClickAt(QWidget* widget, int x = 3)
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(x, widget->height() / 2));
}

}  // namespace

// ---- The newsletter card ----------------------------------------------------------------

// What a user does with the card, and what the mail store holds afterwards for a process
// that reads it later: "<UserEmail> <isConfirmed> <IsRegUser>".
TEST(EmailCard, RegistrationStoresTheLowerCasedAddressAndSkipOrCloseStoreTwo)
{
    const struct
    {
        const char* address;
        const char* button;  // "": Enter in the field
        int result;          // -1: the card stays open
        const char* stored;
    } cases[] = {
        {"Foo.Bar@Example.ORG", "registerButton", QDialog::Accepted, "foo.bar@example.org 1 1"},
        {"x@mail.example.de", "", QDialog::Accepted, "x@mail.example.de 1 1"},
        {"Foo@Example.ORG", "noRegisterButton", QDialog::Rejected, "(none) (none) 2"},
        {"", "disagreeButton", QDialog::Rejected, "(none) (none) 2"},
        {"a@b", "", -1, "(none) (none) (none)"},
    };
    for (const auto& c : cases) {
        const QString store = UseNewMailStore();
        EmailDialog card(nullptr);
        card.show();
        auto* edit = Child<QLineEdit>(card, "emailEdit");
        QTest::keyClicks(edit, c.address);  // through the validator, as typed
        if (*c.button)
            Child<QPushButton>(card, c.button)->click();
        else
            QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(card.isVisible() ? -1 : card.result(), c.result) << c.address;
        EXPECT_EQ(StoredInAnotherProcess(store), QString(c.stored)) << c.address;
    }
}

// The field shows the verdict (the warning stays attached after a later valid attempt); the
// named parts and the styled size; the language it was built in while the about card follows
// a switch.
TEST(EmailCard, MarksTheFieldHasItsNamedPartsAndKeepsItsLanguageWhileOpen)
{
    UseNewMailStore();
    EmailDialog card(nullptr);
    card.show();
    auto* edit = Child<QLineEdit>(card, "emailEdit");
    auto* registerButton = Child<QPushButton>(card, "registerButton");
    edit->setText("anna.example.org");
    registerButton->click();
    EXPECT_TRUE(QToolTip::isVisible() && QToolTip::text() == "Please enter a valid email address");
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor("lightcoral"));
    edit->setText("anna@example.org");
    registerButton->click();
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor("lightgreen"));
    EXPECT_EQ(edit->toolTip(), "Please enter a valid email address");
    QToolTip::hideText();

    for (const char* name : {"emailWidget", "emailFrame", "discountsLabel", "editFrame",
                             "emailLabel", "cancelAnyTimeLabel", "buttonsFrame"})
        Child<QWidget>(card, name);
    EXPECT_TRUE(registerButton->isDefault());
    EXPECT_FALSE(Child<QCheckBox>(card, "recieveNewsCheckBox")->isVisibleTo(&card));
    auto* caption = Child<QLabel>(card, "captionLabel");
    const QString captionText = caption->text();
    EXPECT_TRUE(captionText.startsWith("Register now and you will be among the first"));

    QWidget owner;
    AboutBoxDialog about("Product 1.0", "https://h.example/", false, &owner);
    OneWordTranslator translator;
    QCoreApplication::installTranslator(&translator);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(caption->text(), captionText);
    EXPECT_EQ(Child<QPushButton>(card, "noRegisterButton")->text(), "Skip");
    EXPECT_EQ(Child<QLabel>(about, "rightsLabel")->text(), "Translated");
    QCoreApplication::removeTranslator(&translator);
}

// The card's sheet is its own followed by the common one; a sheet that is not there adds
// nothing and says nothing.
TEST(EmailCard, StyleSheetsJoinInOrderAndAMissingOneLeavesThePlainLook)
{
    const QString own = Dialogs::ReadStyleSheets({":/EmailDialog/EmailDialog.qss"});
    const QString common = Dialogs::ReadStyleSheets({":/Dialogs/Dialogs.qss"});
    ASSERT_TRUE(own.contains("lightcoral") && common.contains("#disagreeButton"));
    EmailDialog card(nullptr);
    EXPECT_EQ(card.styleSheet(), own + common);

    Support::LogCapture log;
    EXPECT_EQ(Dialogs::ReadStyleSheets({":/EmailDialog/missing.qss", ":/Dialogs/Dialogs.qss",
                                        Support::SandboxDir() + "/none.qss"}),
              common);
    EXPECT_TRUE(log.lines.empty());
}

// ---- The about card -----------------------------------------------------------------------

// Link texts keep a "%1" of the URL or caption; the support address shows without "mailto:".
TEST(AboutBox, LinksRightsNoticeAndSupportAddressAreFilledOnce)
{
    const QString copyright = QString::fromUtf8("\u00A9 %1 ").arg(QDate::currentDate().year());
    const struct
    {
        const char* homepage;
        bool company;
        const char* support;
        const char* caption;
        QString mailTo, copyright, customUrl;
    } cases[] = {
        {"https://h.example/%1", false, "mailto:help@tavrin.example", "",
         "<a href=\"mailto:help@tavrin.example\">help@tavrin.example</a>",
         copyright + "tavrin.example", "(hidden)"},
        {"https://h.example/", true, "help@tavrin.example", "Deal %1 %2",
         "<a href=\"help@tavrin.example\">help@tavrin.example</a>", copyright + "Tavrin Software",
         "<a href=\"https://www.tavrin.example/en/deal?code=%1\">Deal %1 %2</a>"},
        {"", true, "", "Deal", "<a href=\"\"></a>", copyright + "Tavrin Software",
         "<a href=\"https://www.tavrin.example/en/deal?code=%1\">Deal</a>"},
    };
    SetLocale("en_US");
    for (const auto& c : cases) {
        g_customization->supportEmail = c.support;
        g_customization->customAboutCaption = c.caption;
        QWidget owner;
        g_customization->customizedWidgets.clear();
        AboutBoxDialog about("Tavrin Test 14.5", c.homepage, c.company, &owner);
        EXPECT_EQ(g_customization->customizedWidgets, QStringList{"AboutBoxDialog"});
        EXPECT_EQ(Child<QLabel>(about, "homePageLabel")->text(),
                  QString("<a href=\"%1\">Visit homepage</a>").replace("%1", c.homepage));
        EXPECT_EQ(Child<QLabel>(about, "mailToLabel")->text(), c.mailTo);
        EXPECT_EQ(Child<QLabel>(about, "copyrightLabel")->text(), c.copyright);
        auto* custom = Child<QLabel>(about, "customURL");
        EXPECT_EQ(custom->isVisibleTo(&about) ? custom->text() : "(hidden)", c.customUrl);
    }
    g_customization->customAboutCaption.clear();
}

// The locale's picture where there is one; a locale without one leaves the area empty. (That
// each language's picture shows, and differs, is the demo test's screenshot check.)
TEST(AboutBox, ShowsThePictureOfTheInterfaceLanguage)
{
    for (const char* locale : {"en_US", "de_DE", "ru_RU", "pt_PT"}) {
        SetLocale(locale);
        QWidget owner;
        AboutBoxDialog about("Tavrin Test", "https://h.example/", false, &owner);
        const QString path = QString(":/About/about_%1.png").arg(locale);
        EXPECT_EQ(Child<QWidget>(about, "topPlaceHolder")->styleSheet(),
                  strcmp(locale, "pt_PT") ? "background-image: url(" + path + ");" : QString())
            << locale;
    }
    SetLocale("en_US");
}

// Links keep the card open and do their work; anywhere else, or leaving it, closes it.
TEST(AboutBox, ClosesOnAClickOutsideItsLinksWhenLeftOrWithItsOwnerAndStaysOnTheLinks)
{
    g_customization->supportEmail = "mailto:help@tavrin.example";
    MailRecorder mail;
    const int opened = OpenedUrls().size();
    QWidget window;
    window.show();
    AboutBoxDialog::ShowAbout("Tavrin Test 14.5", "https://h.example/about", false, &window);
    QPointer<AboutBoxDialog> about = window.findChild<AboutBoxDialog*>();
    ASSERT_TRUE(about && about->testAttribute(Qt::WA_DeleteOnClose));

    ClickAt(Child<QLabel>(*about, "homePageLabel"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return OpenedUrls().size() > opened; }, kWaitMs));
    ClickAt(Child<QLabel>(*about, "mailToLabel"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "help@tavrin.example");
    EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::text() == kCopied; }, kWaitMs));
    ClickAt(Child<QLabel>(*about, "versionDetailsLabel"));
    const QString details = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(
        details.startsWith("Tavrin Test\nVersion: Tavrin Test 14.5\nBuild commit: ") &&
        details.contains(
            QString("\nQt: %1\nSystem: %2, linux ").arg(qVersion(), QSysInfo::prettyProductName())))
        << details.toStdString();
    EXPECT_EQ(OpenedUrls().mid(opened), QStringList{"https://h.example/about"});
    EXPECT_TRUE(mail.urls.isEmpty());  // no mail program either
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(about && about->isVisible());

    ClickAt(Child<QWidget>(*about, "topPlaceHolder"), 200);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(about);

    // Another window becoming active closes it.
    AboutBoxDialog::ShowAbout("Tavrin Test 14.5", "https://h.example/", false, &window);
    about = window.findChild<AboutBoxDialog*>();
    QApplication::setActiveWindow(about);
    ASSERT_TRUE(about && about->isActiveWindow());
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(about);
    QToolTip::hideText();

    // The owner window going away takes a card on screen with it.
    auto* owner = new QWidget;
    owner->show();
    AboutBoxDialog::ShowAbout("Tavrin Test", "https://h.example/", true, owner);
    about = owner->findChild<AboutBoxDialog*>();
    ASSERT_TRUE(about && about->isVisible());
    delete owner;
    EXPECT_FALSE(about);
}

// ---- The informer ---------------------------------------------------------------------------

// Web links (the learn-more link once) reach the preferred browser; e-mail links only the
// clipboard; the private slot is reachable by name.
TEST(Informer, WebLinksReachTheBrowserAndEmailLinksTheClipboard)
{
    const int before = OpenedUrls().size();
    MailRecorder mail;
    QWidget window;
    Informer informer([&window] { return &window; });

    const QString web = "https://support.tavrin.example/a%1b?x=%2";
    WhenModal<AlertBox>(informer, [&](AlertBox* box) {
        auto* text = box->findChild<QLabel*>("qt_msgbox_label");
        QGuiApplication::clipboard()->setText("before");
        QMetaObject::invokeMethod(text, "linkActivated",
                                  Q_ARG(QString, "mailto:Help@Tavrin.example"));
        EXPECT_EQ(QGuiApplication::clipboard()->text(), "Help@Tavrin.example");
        EXPECT_EQ(QToolTip::text(), kCopied);
        QMetaObject::invokeMethod(text, "linkActivated", Q_ARG(QString, web));
        auto* more = box->findChild<QLabel*>("tavrin_alertbox_learnmore");
        QMetaObject::invokeMethod(more, "linkActivated", Q_ARG(QString, "https://faq.example/"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return OpenedUrls().size() >= before + 2; }, kWaitMs));
        box->button(QMessageBox::Ok)->click();
    });
    const QString text =
        QString("<a href=\"%1\">page</a> or <a href=\"mailto:x@y.example\">x</a>").arg(web);
    EXPECT_EQ(informer.ExecDialog(text, "https://faq.example/more", "", AlertBox::Information),
              QMessageBox::Ok);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Help@Tavrin.example");

    // The private slot, called by name.
    EXPECT_TRUE(QMetaObject::invokeMethod(&informer, "OnDialogLinkActivated",
                                          Q_ARG(QString, "https://t.example/direct")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return OpenedUrls().size() >= before + 3; }, kWaitMs));
    QStringList opened = OpenedUrls().mid(before);
    opened.sort();  // the first two browsers started at once
    EXPECT_EQ(opened,
              (QStringList{"https://faq.example/more", QUrl(web, QUrl::TolerantMode).toString(),
                           "https://t.example/direct"}));  // once each
    EXPECT_TRUE(mail.urls.isEmpty());
    QToolTip::hideText();
}

// One box at a time, closed from outside, and an informer destroyed under its own box; the
// box's width and the library's icon unless it is given one.
TEST(Informer, OneBoxAtATimeClosedFromOutsideAndSafeWhenDestroyedDuringIt)
{
    const auto iconOf = [](AlertBox* box) {
        return box->iconPixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    };
    QImage custom(48, 48, QImage::Format_ARGB32);
    custom.fill(Qt::darkCyan);
    const QString customPath = Support::NewTempDir("icon") + "/icon.png";
    ASSERT_TRUE(custom.save(customPath));
    const QImage large = QImage(":/Icons/large_icon.png").convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(large.isNull());

    QWidget window;
    auto informer = std::make_unique<Informer>([&window] { return &window; });
    EXPECT_TRUE(informer->Close());  // no box
    Support::LogCapture log(google::GLOG_WARNING);
    QFlags<QMessageBox::StandardButton> second = QMessageBox::Ok;
    bool closedTwice = false;
    WhenModal<AlertBox>(window, [&](AlertBox* box) {
        EXPECT_GE(box->width(), 450);
        EXPECT_EQ(iconOf(box), large);
        auto* more = box->findChild<QLabel*>("tavrin_alertbox_learnmore");
        EXPECT_TRUE(more && more->text().contains("https://faq.example/%1"));  // filled once
        second = informer->ExecDialog("again", "", "", AlertBox::Warning);
        closedTwice = informer->Close() && informer->Close();
    });
    EXPECT_EQ(informer->ExecDialog("first", "https://faq.example/%1", "", AlertBox::Information),
              QMessageBox::NoButton);
    EXPECT_EQ(second, QMessageBox::NoButton);
    EXPECT_TRUE(closedTwice);
    EXPECT_EQ(log.Count("WARNING: Informer: a box is already on screen"), 1);

    // The box pressed after its informer is gone: its button still comes back.
    QPointer<AlertBox> orphan;
    WhenModal<AlertBox>(window, [&](AlertBox* box) {
        EXPECT_EQ(iconOf(box), custom);
        orphan = box;
        informer.reset();
        box->button(QMessageBox::Ok)->click();
    });
    Informer* raw = informer.get();
    EXPECT_EQ(raw->ExecDialog("gone", "", customPath, AlertBox::Information), QMessageBox::Ok);
    EXPECT_TRUE(orphan);  // left to its parent window
    delete orphan.data();
}

int main(int argc, char** argv)
{
    Support::EnterSandbox();
    const QString root = Support::NewTempDir("root");
    for (const char* locale : {"en_US", "de_DE", "ru_RU", "pt_PT"})
        QDir().mkpath(root + "/resources/locales/" + locale);
    Support::WriteFile(root + "/resources/links.json", kLinkTable);
    qputenv("TAVRIN_RESOURCES_DIR", QFile::encodeName(root + "/resources"));
    ::testing::InitGoogleTest(&argc, argv);
    Application app(argc, argv, Application::AppContext{false});
    Support::PointSettingsAtSandbox();
    g_app = &app;
    g_customization = std::make_shared<Support::Customization>();
    app.SetCustomizationManager(g_customization);
    app.SetSettingsManager(std::make_shared<SettingsManager>(
        Support::NewTempDir("general") + "/general.ini", QSettings::IniFormat));
    UseNewMailStore();
    g_lookAndFeel = std::make_shared<LookAndFeelManager>(
        root.toStdString(), "title.json", std::list<std::string>{}, std::list<std::string>{});
    app.SetLookAndFeel(g_lookAndFeel);
    // Web links go to the preferred browser: a fake one that notes what it was asked to open.
    const QString browser = Support::NewTempDir("bin") + "/firefox";
    QFile::copy(FAKE_BROWSER_PATH, browser);
    app.GetSettingsManager()->SetString("PreferredBrowser", browser.toStdString());
    g_browserLog = Support::NewTempDir("browser") + "/opened";
    qputenv("FAKE_BROWSER_LOG", QFile::encodeName(g_browserLog));
    const int result = RUN_ALL_TESTS();
    g_lookAndFeel.reset();
    Support::LeaveSandbox();
    return result;
}

#include "tst_dialogs.moc"
