#include <Tavrin/Core/Version.h>
#include <Tavrin/Util/AlertBox.h>
#include <Tavrin/Util/EmailValidator.h>
#include <Tavrin/Util/SpontaneousDialog.h>
#include <Tavrin/Util/StyledPalette.h>
#include <Tavrin/Util/VersionToString.h>
#include <Tavrin/Util/WidgetUtils.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QValidator>

#include <gtest/gtest.h>

using namespace Tavrin::Util;

TEST(AlertBox, LevelPicksTheIconExecReturnsTheAnswerAndAddedPartsOutliveLayoutRebuilds)
{
    // Runs Exec() and answers the box from inside its event loop, the way a user would.
    const auto execAnswering = [](AlertBox& box, auto answer) {
        QTimer::singleShot(0, &box, answer);
        QTimer::singleShot(10000, &box, [&box] { box.done(QDialog::Rejected); });  // never hang
        return box.Exec();
    };
    // Level 0 is information; 4 is no level (though Qt's Question).
    EXPECT_EQ(AlertBox(0, "", "", QMessageBox::Ok).icon(), QMessageBox::Information);
    EXPECT_EQ(AlertBox(4, "", "", QMessageBox::Ok).icon(), QMessageBox::NoIcon);
    AlertBox box(AlertBox::Question, "Q", "Continue?", QMessageBox::Yes | QMessageBox::Cancel);
    EXPECT_EQ(execAnswering(box, [&] { box.button(QMessageBox::Yes)->click(); }), QMessageBox::Yes);
    EXPECT_EQ(execAnswering(box, [&] { QTest::keyClick(&box, Qt::Key_Escape); }),
              QMessageBox::Cancel);
    // Closing is no answer, and an earlier answer must not stick.
    EXPECT_EQ(execAnswering(box, [&] { box.close(); }), QMessageBox::NoButton);
    auto* doomed = new AlertBox(AlertBox::Critical, "C", "Gone", QMessageBox::Ok);
    EXPECT_EQ(execAnswering(*doomed, [&] { doomed->deleteLater(); }), QMessageBox::NoButton);

    // The width and the "learn more" link outlive layout rebuilds.
    box.SetWidth(600);
    box.SetLearnMoreLink("https://example.com/help?topic=a&lang=en");
    box.setInformativeText("More");  // QMessageBox builds a new layout, dropping what we added
    box.show();
    EXPECT_GE(box.width(), 600);
    auto* link = box.findChild<QLabel*>("tavrin_alertbox_learnmore");
    ASSERT_TRUE(link && link->isVisible());
    EXPECT_GT(link->y(), box.findChild<QLabel*>("qt_msgbox_informativelabel")->y());
    EXPECT_LT(link->y(), box.findChild<QDialogButtonBox*>()->y());
    // That the link opens in the browser is the informer test's (tst_dialogs).

    box.SetWidth(0);
    box.SetLearnMoreLink(QString());
    box.hide();
    box.show();
    EXPECT_LT(box.width(), 600);
    EXPECT_EQ(box.findChild<QLabel*>("tavrin_alertbox_learnmore"), nullptr);
}

TEST(WidgetUtils, AncestorPropertySelectorsTakeEffectMainWindowIsTrackedVersionsAreBounded)
{
    QWidget panel;
    auto* label = new QLabel("status", &panel);
    panel.setStyleSheet(
        "QLabel[tone=\"alert\"] { color: rgb(255, 0, 0); }"
        "QWidget[state=\"error\"] QLabel { color: rgb(0, 0, 255); }");
    panel.show();
    ApplyWidgetStyle(label, "alert", "tone");
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    ApplyWidgetStyle(&panel, "error", "state");
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    ApplyWidgetStyle(nullptr, "alert", "tone");

    // The dialogs' main window reads back as null once destroyed.
    auto* window = new QWidget;
    SpontaneousDialog::SetMainWindow(window);
    EXPECT_EQ(SpontaneousDialog::GetMainWindow(), window);
    delete window;
    EXPECT_EQ(SpontaneousDialog::GetMainWindow(), nullptr);

    // A version's detail selects or pads the numbers; an absurd one is bounded.
    const Tavrin::Core::Version version(14, 5, 7);
    EXPECT_EQ(VersionToString(version, 2, "."), "14.5");
    EXPECT_EQ(VersionToString(version, 5, ", "), "14, 5, 7, 0, 0");
    EXPECT_EQ(VersionToString(version, 1 << 30, ".").count('.'), 15);
}

// Web forms' rule plus a dot in the domain; whatever inserting characters can still repair
// is Intermediate, so neither typing nor deleting is blocked on the way.
TEST(EmailValidator, AcceptsAddressesAllowsWhatCanStillBecomeOneAndRejectsTheRest)
{
    const QString longLocal(1000, 'a');
    const std::pair<QValidator::State, QStringList> cases[] = {
        {QValidator::Acceptable,
         {"Foo@Example.ORG", "first.last+tag@sub.example.co.uk", "a!#$%&'*+/=?^_`{|}~-z@x-y.io",
          "1@2.de", ".user..name.@example.com", "user@example.123", longLocal + "@example.org",
          "u@" + QString(63, 'b') + ".de"}},
        {QValidator::Intermediate,
         {"", "first.", "user.example.org", "user@", "a@b", "user@example.", "user@sub-.de",
          "@example.com", "user@-example.com", "user@example..com", longLocal}},
        {QValidator::Invalid,
         {"a b@c.de", "a@@b.de", "a@b.de@", "user@ex_ample.com", "user@example.com ",
          QString::fromUtf8("\xC3\xBC@example.com"), "user@" + QString(64, 'a') + ".com",
          "user\t@example.com", QString("us") + QChar(0) + "er@example.com", "user@example.com\n",
          QString::fromUtf8("\xD7\xA9\xD7\x9C@example.com"),
          QString::fromUtf8("user@example.com\xE2\x80\x8F"), longLocal + " @example.org"}}};
    QObject owner;
    QValidator* validator = GetEmailValidator(&owner);
    for (const auto& [state, inputs] : cases)
        for (QString text : inputs) {
            int position = text.size();
            EXPECT_EQ(validator->validate(text, position), state) << text.toStdString();
        }
}

// The application's style sheet reaches the link colour of texts set afterwards; a sheet
// without the rule, or with a colour Qt cannot read, leaves the palette alone.
TEST(StyledPalette, StyleSheetRuleSetsTheApplicationLinkColour)
{
    const std::pair<const char*, QColor> cases[] = {
        {"Tavrin--Util--StyledPalette { qproperty-linksColor: #C45D4B; }", QColor("#C45D4B")},
        {"QLabel { color: red; }", QColor("#C45D4B")},
        {"Tavrin--Util--StyledPalette { qproperty-linksColor: nonsense; }", QColor("#C45D4B")},
        {"Tavrin--Util--StyledPalette { qproperty-linksColor: #2050A0; }", QColor("#2050A0")},
    };
    for (const auto& [sheet, expected] : cases) {
        qApp->setStyleSheet(sheet);
        StyledPalette::Apply();
        EXPECT_EQ(QApplication::palette().color(QPalette::Link), expected) << sheet;
        EXPECT_EQ(QApplication::palette().color(QPalette::LinkVisited), expected) << sheet;
    }
}
