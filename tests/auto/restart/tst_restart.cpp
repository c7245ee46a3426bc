// The product's temporary directory and the restart. A restart needs the application object,
// and a process holds one at a time, so this file brings its own main. The restarted
// "product" is the helper program, which writes down the arguments it got.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ApplicationRestarter.h>
#include <Tavrin/Util/AlertBox.h>

#include "TestSupport.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

using Tavrin::App::Application;
using Tavrin::App::ClearProductTemporaryFiles;
using Tavrin::App::ProductTemporaryFilesDir;
using Tavrin::App::RestartApplication;
using ::testing::ElementsAre;

const int kWaitMs = 30000;
const auto kOtherMode = static_cast<Tavrin::Enums::WorkingMode>(2);

int g_argc = 1;
char g_arg0[] = "tst_restart";
char* g_argv[] = {g_arg0, nullptr};

class ProductApplication : public Application
{
public:
    ProductApplication() : Application(g_argc, g_argv, AppContext{false}) {}
    bool allowQuit = true;

private:
    bool TryToQuitImpl() override { return allowQuit ? (quit(), true) : false; }
};

void Restart(Tavrin::Enums::WorkingMode mode, const QString& file, const QString& arguments = "",
             std::function<void()> clearCrashHistory = {}, const QPixmap& icon = QPixmap())
{
    RestartApplication(mode, icon, "write-args \"" + file + "\" " + arguments, clearCrashHistory,
                       Tavrin::Test::HelperExecutable());
}

// The new instance's pid and arguments, one a line; empty when none wrote in time.
QStringList WrittenByNewInstance(const QString& file)
{
    const QDeadlineTimer deadline(kWaitMs);
    while (!QFileInfo::exists(file) && !deadline.hasExpired()) {
        QTest::qWait(20);
    }
    QFile written(file);
    return written.open(QIODevice::ReadOnly) ? QString::fromUtf8(written.readAll()).split('\n')
                                             : QStringList();
}

// Presses `answer` in every alert box that comes up, keeping the last one it saw.
struct AutoAnswer
{
    explicit AutoAnswer(QMessageBox::StandardButton answer)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, answer] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<Tavrin::Util::AlertBox*>(widget);
                if (box && box->isVisible()) {
                    ++shown;
                    title = box->windowTitle();
                    text = box->text();
                    buttons = box->standardButtons();
                    pixmapWidth = box->iconPixmap().width();
                    flags = box->windowFlags();
                    box->button(answer)->click();
                }
            }
        });
        timer.start(20);
    }
    QTimer timer;
    int shown = 0;
    QString title, text;
    QMessageBox::StandardButtons buttons;
    int pixmapWidth = 0;
    Qt::WindowFlags flags;
};

bool WriteAged(const QString& path, int days)
{
    QFile file(path);
    return Tavrin::Test::WriteFile(path, "x") && file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDateTime::currentDateTime().addDays(-days),
                            QFileDevice::FileModificationTime);
}

TEST(TemporaryFiles, DirectoryBelowTheSystemOneAndNamesThatWouldLeaveItRefused)
{
    EXPECT_EQ(ProductTemporaryFilesDir("Prod"), QDir::tempPath() + "/Prod/temp/");
    EXPECT_TRUE(QFileInfo(QDir::tempPath() + "/Prod/temp").isDir());
    for (const char* name : {"", "/etc", ".", "..", "a/../..", "./a"}) {
        EXPECT_EQ(ProductTemporaryFilesDir(name), QString()) << name;
    }
    EXPECT_FALSE(QFileInfo::exists(QDir::tempPath() + "/temp"));

    // A system temporary directory that is a file: the path all the same, and no complaint.
    const QByteArray saved = qgetenv("TMPDIR");
    const QString blocker = Tavrin::Test::NewTempDir("blocked") + "/file";
    ASSERT_TRUE(Tavrin::Test::WriteFile(blocker, "a file"));
    qputenv("TMPDIR", QFile::encodeName(blocker));
    const QString uncreatable = ProductTemporaryFilesDir("Prod");
    ClearProductTemporaryFiles("Prod", 0);
    qputenv("TMPDIR", saved);
    EXPECT_EQ(uncreatable, blocker + "/Prod/temp/");
    EXPECT_TRUE(QFileInfo(blocker).isFile());
}

TEST(TemporaryFiles, ClearingRemovesOnlyExpiredFilesAndKeepsTheDirectory)
{
    const QString dir = ProductTemporaryFilesDir("Sweep");
    const QString outside = QDir::tempPath() + "/Sweep/outside";
    for (const QString& old : {dir + "old", dir + "emptied/old", dir + "kept/old", outside}) {
        ASSERT_TRUE(WriteAged(old, 11));
    }
    ASSERT_TRUE(WriteAged(dir + "kept/fresh", 9));
    ClearProductTemporaryFiles("Sweep", Application::DAYS_TO_FILE_EXPIRE);
    EXPECT_EQ(QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"kept"});
    EXPECT_EQ(QDir(dir + "kept").entryList(QDir::Files), QStringList{"fresh"});
    EXPECT_TRUE(QFileInfo::exists(outside));
}

TEST(Restart, InteractiveModeAsksAndOnlyOkRestarts)
{
    ProductApplication app;
    const QString dir = Tavrin::Test::NewTempDir("interactive");
    int cleared = 0;
    AutoAnswer cancel(QMessageBox::Cancel);
    Restart(Tavrin::Enums::Interactive, dir + "/cancelled", "", [&] { ++cleared; });
    EXPECT_EQ(cancel.shown, 1);
    EXPECT_EQ(cancel.title, "Attention");
    EXPECT_EQ(cancel.text, "<b>This will restart the application.</b><br>Do you want to continue?");
    EXPECT_EQ(cancel.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_TRUE(cancel.flags.testFlag(Qt::Dialog) &&
                cancel.flags.testFlag(Qt::MSWindowsFixedSizeDialogHint));
    EXPECT_EQ(cleared, 0);
    EXPECT_FALSE(app.IsQuitting());
    cancel.timer.stop();

    AutoAnswer ok(QMessageBox::Ok);
    QPixmap icon(24, 24);
    icon.fill(Qt::red);
    Restart(
        Tavrin::Enums::Interactive, dir + "/accepted", "", [&] { ++cleared; }, icon);
    EXPECT_EQ(ok.pixmapWidth, 24);
    EXPECT_EQ(cleared, 1);
    EXPECT_TRUE(app.IsQuitting());
    EXPECT_EQ(WrittenByNewInstance(dir + "/accepted").size(), 1);
    // Asked for earlier, a cancelled restart would have written by now.
    EXPECT_FALSE(QFileInfo::exists(dir + "/cancelled"));
}

TEST(Restart, OtherModesClearTheHistoryQuitAndStartWithExactlyTheArguments)
{
    ProductApplication app;
    const QString dir = Tavrin::Test::NewTempDir("with space");
    AutoAnswer none(QMessageBox::Cancel);
    int cleared = 0;
    app.allowQuit = false;  // a refused quit: history cleared, nothing started
    Restart(kOtherMode, dir + "/refused", "", [&] { ++cleared; });
    EXPECT_EQ(cleared, 1);
    EXPECT_FALSE(app.IsQuitting());

    app.allowQuit = true;
    bool quittingWhenCleared = true;
    QTimer::singleShot(0, [&] {
        Restart(kOtherMode, dir + "/args", " \"two words\"  plain \"\"\"quoted\"\"\" --x=1",
                [&] { quittingWhenCleared = app.IsQuitting(); });
    });
    QTimer::singleShot(kWaitMs, [&] { app.exit(1); });
    EXPECT_EQ(app.exec(), 0);  // the restart ended the event loop
    EXPECT_FALSE(quittingWhenCleared);
    EXPECT_EQ(none.shown, 0);
    const QStringList written = WrittenByNewInstance(dir + "/args");
    ASSERT_FALSE(written.isEmpty());
    EXPECT_NE(written[0], QString::number(QCoreApplication::applicationPid()));
    EXPECT_THAT(written.mid(1), ElementsAre("two words", "plain", "\"quoted\"", "--x=1"));
    EXPECT_FALSE(QFileInfo::exists(dir + "/refused"));
}

}  // namespace

int main(int argc, char** argv)
{
    Tavrin::Test::EnterSandbox();
    Tavrin::Test::PointSettingsAtSandbox();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    Tavrin::Test::LeaveSandbox();
    return result;
}
