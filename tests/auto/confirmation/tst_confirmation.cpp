// The confirmation box and the colour dialog helper on real store files: which answers are
// remembered and how, the layout the box builds, broken store contents, and what a later
// process of the product finds in the store (this program run again, see RunAsLaterProcess).
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ColorDialogHelper.h>
#include <Tavrin/App/Application/ConfirmationAlertBox.h>
#include <Tavrin/App/Application/SettingsManager.h>

#include "TestSupport.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <tuple>
#include <utility>

using Tavrin::App::Application;
using Tavrin::App::ConfirmationAlertBox;
using Tavrin::App::SettingsManager;
using Tavrin::Test::AlertBoxAnswerer;
using Button = QMessageBox::StandardButton;

namespace {

const int kPeerTimeoutMs = 30000;
const QMessageBox::StandardButtons kYesNoCancel =
    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;

std::shared_ptr<SettingsManager> NewStore(const QString& iniText = {})
{
    const QString path = Tavrin::Test::NewTempDir("store") + "/store.ini";
    if (!iniText.isEmpty())
        Tavrin::Test::WriteFile(path, iniText.toUtf8());
    return std::make_shared<SettingsManager>(path, QSettings::IniFormat);
}

using Outcome = std::pair<bool, Button>;  // shown, answer

// Exec on a new box for the id, with the check box as given and `press` pressed if it shows.
Outcome Ask(const std::shared_ptr<SettingsManager>& store, const QString& id, Button press,
            bool tick = false, const std::function<void(ConfirmationAlertBox&)>& setUp = {})
{
    ConfirmationAlertBox box(store, Tavrin::Util::AlertBox::Question, "Kestrel",
                             "Delete the project?", kYesNoCancel);
    box.SetConfirmationId(id);
    box.SetDontConfirm(tick);
    if (setUp)
        setUp(box);
    AlertBoxAnswerer answerer;
    answerer.answer = press;
    const Button answer = box.Exec();
    return {!answerer.boxes.isEmpty(), answer};
}

// The two keys of an id as the store holds them: "<dont_confirm>|<answer>", "-" for absent.
QString Stored(const std::shared_ptr<SettingsManager>& store, const QString& id)
{
    const std::string key = "confirm/" + id.toStdString();
    const std::string dontConfirm = key + "_dont_confirm", answer = key + "_answer";
    return (store->Contains(dontConfirm) ? QString::number(store->GetBool(dontConfirm, false))
                                         : QString("-")) +
           '|' + (store->Contains(answer) ? QString::number(store->GetInt(answer, -1)) : "-");
}

QStringList RunPeer(const QStringList& arguments)
{
    QProcess peer;  // killed when it is still running at the end
    peer.start(QCoreApplication::applicationFilePath(), arguments);
    peer.waitForFinished(kPeerTimeoutMs);
    return QString(peer.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

}  // namespace

// What one ticked (or unticked) answer leaves in the store, and what the next Exec does.
TEST(ConfirmationAlertBox, RemembersOnlyTheAnswersItMayAndReturnsThemWithoutShowing)
{
    using SetUp = std::function<void(ConfirmationAlertBox&)>;
    const auto rememberOnly = [](QMessageBox::StandardButtons answers) {
        return [answers](ConfirmationAlertBox& box) { box.SetRememberOnly(answers); };
    };
    // Name, tick, button pressed, set-up; then "<dont_confirm>|<answer>" stored.
    const std::tuple<const char*, bool, Button, SetUp, QString> cases[] = {
        {"unticked", false, QMessageBox::Yes, {}, "-|-"},
        {"ticked yes", true, QMessageBox::Yes, {}, "1|16384"},
        {"ticked no is no rejection", true, QMessageBox::No, {}, "1|65536"},
        {"ticked cancel rejects", true, QMessageBox::Cancel, {}, "-|-"},
        {"cancel remembered on reject", true, QMessageBox::Cancel,
         [](ConfirmationAlertBox& box) { box.SetRememberOnReject(true); }, "1|4194304"},
        {"no outside remember-only", true, QMessageBox::No, rememberOnly(QMessageBox::Yes), "-|-"},
        {"yes inside remember-only", true, QMessageBox::Yes,
         rememberOnly(QMessageBox::Yes | QMessageBox::Ok), "1|16384"},
        {"forced answer stored", true, QMessageBox::No,
         [](ConfirmationAlertBox& box) { box.SetForceSaveAnswer(QMessageBox::Ok); }, "1|1024"},
        {"forced answer needs a tick", false, QMessageBox::No,
         [](ConfirmationAlertBox& box) { box.SetForceSaveAnswer(QMessageBox::Ok); }, "-|-"},
    };
    for (const auto& [name, tick, press, setUp, stored] : cases) {
        SCOPED_TRACE(name);
        const auto store = NewStore();
        // A forced answer is stored, not returned.
        EXPECT_EQ(Ask(store, "delete", press, tick, setUp), Outcome(true, press));
        EXPECT_EQ(Stored(store, "delete"), stored);
        const bool remembered = stored != "-|-";
        EXPECT_EQ(Ask(store, "delete", QMessageBox::Yes),
                  Outcome(!remembered,
                          remembered ? Button(stored.section('|', 1).toInt()) : QMessageBox::Yes));
        EXPECT_EQ(Ask(store, "other", QMessageBox::No).second, QMessageBox::No);
    }
}

// A box closed, escaped or destroyed with its parent while it runs leaves no answer behind.
TEST(ConfirmationAlertBox, NoAnswerIsRememberedWhenTheBoxEndsWithoutOne)
{
    const auto store = NewStore();
    for (bool parentDeleted : {false, true}) {
        auto* parent = new QWidget;
        auto* box = new ConfirmationAlertBox(store, Tavrin::Util::AlertBox::Question, "", "Leave?",
                                             QMessageBox::Yes | QMessageBox::No, parent);
        box->SetConfirmationId("leave");
        box->SetDontConfirm(true);
        QTimer::singleShot(0, [=] {
            parentDeleted ? delete parent : box->done(QDialog::Rejected);  // takes the box along
        });
        EXPECT_EQ(box->Exec(), QMessageBox::NoButton) << parentDeleted;
        EXPECT_EQ(Stored(store, "leave"), "-|-") << parentDeleted;
        if (!parentDeleted)
            delete parent;
    }
}

// The check box stands left of the buttons in their grid cell, also after QMessageBox has
// rebuilt its layout; Ok and Cancel carry the style hints the style sheets select on.
TEST(ConfirmationAlertBox, PutsTheCheckBoxBesideTheButtonsAndMarksThemForStyleSheets)
{
    ConfirmationAlertBox box(nullptr, Tavrin::Util::AlertBox::Warning, "Kestrel", "Overwrite?",
                             QMessageBox::Ok | QMessageBox::Cancel);
    auto* check = box.findChild<QCheckBox*>("dontConfirmCheckBox");
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(box.GetConfirmationText(), "Don't show this again");
    EXPECT_EQ(box.button(QMessageBox::Ok)->property("styleHint"), "activeButton");
    EXPECT_EQ(box.button(QMessageBox::Cancel)->property("styleHint"), "rejectButton");
    box.SetLearnMoreLink("https://kestrel.example/help");
    for (const char* informative : {"", "The file changed on disk."}) {
        box.setInformativeText(informative);  // a new layout each time
        box.show();
        const auto* buttons = box.findChild<QDialogButtonBox*>();
        const QRect checkArea = check->geometry();
        EXPECT_TRUE(check->isVisible()) << informative;
        EXPECT_LT(checkArea.right(), buttons->geometry().left()) << informative;
        EXPECT_GT(checkArea.bottom(), buttons->geometry().top()) << informative;
        EXPECT_LT(box.findChild<QWidget*>("tavrin_alertbox_learnmore")->y(), buttons->y());
        box.hide();
    }
    // With no store the box asks every time.
    box.SetDontConfirm(true);
    AlertBoxAnswerer answerer;
    EXPECT_EQ(box.Exec(), QMessageBox::Ok);
    EXPECT_EQ(box.Exec(), QMessageBox::Ok);
    EXPECT_EQ(answerer.boxes.size(), 2);
}

// Store contents written by hand: what the next Exec makes of them.
TEST(ConfirmationAlertBox, ReadsBrokenStoreValuesTheWayTheStoreConvertsThem)
{
    // The store's text; whether the box shows, and the answer.
    const std::tuple<const char*, bool, Button> cases[] = {
        {"[confirm]\nq_dont_confirm=true\nq_answer=65536\n", false, QMessageBox::No},
        {"[confirm]\nq_dont_confirm=true\nq_answer=Yes please\n", false, QMessageBox::NoButton},
        {"[confirm]\nq_dont_confirm=garbage\n", false, QMessageBox::NoButton},
        {"[confirm]\nq_dont_confirm=false\nq_answer=65536\n", true, QMessageBox::Yes},
        {"[confirm]\nq_dont_confirm=@ByteArray(\\0\\x1)\n", false, QMessageBox::NoButton},
        {"[confirm]\nq_answer=16384\n", true, QMessageBox::Yes},
    };
    for (const auto& [ini, shown, answer] : cases)
        EXPECT_EQ(Ask(NewStore(ini), "q", QMessageBox::Yes), Outcome(shown, answer)) << ini;
}

// Reset asks one question again, ResetAll every question of the store; answers stay.
TEST(ConfirmationAlertBox, ResetAndResetAllAskAgainButKeepTheAnswers)
{
    const auto store = NewStore();
    const QString ids[] = {"delete", "nested/path", "Удалить «проект»", ""};
    for (const QString& id : ids)
        Ask(store, id, QMessageBox::No, true);
    ConfirmationAlertBox one(store, Tavrin::Util::AlertBox::Question, "", "", kYesNoCancel);
    one.SetConfirmationId("delete");
    one.Reset();
    EXPECT_EQ(Stored(store, "delete"), "0|65536");
    EXPECT_FALSE(Ask(store, "nested/path", QMessageBox::Yes).first);

    store->SetString("confirm_elsewhere/x_dont_confirm", "true");  // not below "confirm/"
    store->SetString("confirm/note", "kept");
    EXPECT_TRUE(ConfirmationAlertBox::ResetAll(store));
    for (const QString& id : ids) {
        EXPECT_EQ(Stored(store, id), "0|65536") << id.toStdString();
        EXPECT_TRUE(Ask(store, id, QMessageBox::Yes).first) << id.toStdString();
    }
    EXPECT_TRUE(store->GetBool("confirm_elsewhere/x_dont_confirm", false));
    EXPECT_EQ(store->GetString("confirm/note", ""), "kept");
    EXPECT_FALSE(ConfirmationAlertBox::ResetAll(nullptr));
}

// Successive runs of a product on one store file: a remembered answer (under a non-ASCII id)
// comes back in the next process without a box; a ticked Cancel leaves nothing in the file.
TEST(ConfirmationAlertBox, RemembersAnAnswerAcrossProcessesOnOneStoreFile)
{
    const QString store = Tavrin::Test::NewTempDir("peer") + "/store.ini";
    const QString id = "Löschen 項目";
    // Id, button to press (Yes, No, Cancel), tick; the later process's answer.
    const QStringList runs[][2] = {
        {{id, "16384", "1"}, {"shown 16384"}},
        {{id, "65536", "0"}, {"remembered 16384"}},
        {{"cancel", "4194304", "1"}, {"shown 4194304"}},
        {{"cancel", "65536", "0"}, {"shown 65536"}},
    };
    for (const auto& run : runs) {
        EXPECT_EQ(RunPeer(QStringList{"ask", store} + run[0]), run[1])
            << run[0].join(' ').toStdString();
    }
    EXPECT_EQ(QSettings(store, QSettings::IniFormat).value("confirm/" + id + "_answer").toInt(),
              QMessageBox::Yes);
}

// The custom colours of the colour dialog across processes: saved by one, loaded by the next;
// broken entries load as Qt makes them (black) and leave the other slots alone.
TEST(ColorDialogHelper, CustomColoursSurviveTheProcessAndBrokenEntriesStayLocal)
{
    const QString key = "Tavrin::App::ColorDialogHelper/";
    const QString store = Tavrin::Test::NewTempDir("colours") + "/store.ini";
    QStringList row;
    for (int i = 0; i < 16; ++i)
        row << QColor::fromHsv(i * 22, 200, 180).name();
    // Nothing saved changes nothing; what is saved replaces the whole group.
    QSettings(store, QSettings::IniFormat).setValue(key + "Color40", "#123456");
    EXPECT_EQ(RunPeer(QStringList{"colours", store} + row),
              QStringList(QString("#ffffff ").repeated(16).trimmed()));
    EXPECT_FALSE(QSettings(store, QSettings::IniFormat).contains(key + "Color40"));
    // The next process finds them; alpha is not kept.
    EXPECT_EQ(RunPeer({"colours", store, "#80102030"}), QStringList(row.join(' ')));
    QSettings saved(store, QSettings::IniFormat);
    EXPECT_EQ(saved.value(key + "ColorsCount").toInt(), 16);
    EXPECT_EQ(saved.value(key + "Color0").toString(), "#102030");

    // The group's entries; the first four slots loaded.
    const std::pair<const char*, QString> cases[] = {
        {"ColorsCount=3\nColor0=#123456\nColor1=not a colour\nColor3=#abcdef\n",
         "#123456 #000000 #000000 #ffffff"},
        {"ColorsCount=2147483647\nColor0=#123456\nColor3=#abcdef\n",
         "#123456 #000000 #000000 #abcdef"},
        {"ColorsCount=lots\nColor0=#123456\n", "#ffffff #ffffff #ffffff #ffffff"},
    };
    QStringList stores, expected;
    for (const auto& [entries, loaded] : cases) {
        stores << Tavrin::Test::NewTempDir("colours") + "/store.ini";
        Tavrin::Test::WriteFile(stores.last(),
                                QByteArray("[Tavrin%3A%3AApp%3A%3AColorDialogHelper]\n") + entries);
        expected << loaded;
    }
    QStringList loaded = RunPeer(QStringList{"colours"} + stores);
    for (QString& line : loaded)
        line = line.section(' ', 0, 3);
    EXPECT_EQ(loaded, expected);
}

// This program run again as a later process of the product, on a store file of the test's:
//   ask <store.ini> <id> <button> <tick 0|1>
//       asks "Delete the project?" under the id; a box that comes up gets the check box set as
//       told and <button> (a QMessageBox::StandardButton number) pressed. Prints
//       "shown <answer>" or "remembered <answer>".
//   colours <store.ini>... [#<colour>...]
//       for each store in turn: starts from Qt's white custom colours, loads them through a
//       ColorDialogHelper on that store and prints them, one line of sixteen "#rrggbb" names;
//       then sets the given colours in slots 0, 1, ... and lets the helper save them.
int RunAsLaterProcess(int argc, char** argv)
{
    Application application(argc, argv, Application::AppContext{false});
    const QStringList arguments = QCoreApplication::arguments().mid(2);
    if (QCoreApplication::arguments()[1] == "ask") {
        const auto [shown, answer] =
            Ask(std::make_shared<SettingsManager>(arguments[0], QSettings::IniFormat), arguments[1],
                Button(arguments[2].toInt()), arguments[3] == "1");
        std::printf("%s %d\n", shown ? "shown" : "remembered", answer);
        return 0;
    }
    const QStringList colours = arguments.filter(QRegularExpression("^#"));
    for (const QString& store : arguments) {
        if (colours.contains(store))
            continue;
        application.SetSettingsManager(
            std::make_shared<SettingsManager>(store, QSettings::IniFormat));
        QStringList loaded;
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, Qt::white);  // Qt's own start
        Tavrin::App::ColorDialogHelper helper;
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            loaded << QColorDialog::customColor(i).name();
        std::printf("%s\n", qPrintable(loaded.join(' ')));
        for (int i = 0; i < colours.size(); ++i)
            QColorDialog::setCustomColor(i, QColor(colours[i]));
    }
    return 0;
}

int main(int argc, char** argv)
{
    if (argc > 2 && (argv[1] == std::string("ask") || argv[1] == std::string("colours")))
        return RunAsLaterProcess(argc, argv);
    Tavrin::Test::EnterSandbox();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    Tavrin::Test::PointSettingsAtSandbox();
    const int result = RUN_ALL_TESTS();
    Tavrin::Test::LeaveSandbox();
    return result;
}
