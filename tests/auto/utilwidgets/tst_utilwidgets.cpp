#include "TestSupport.h"

#include <Tavrin/Util/FontDatabase.h>
#include <Tavrin/Util/SpontaneousDialog.h>
#include <Tavrin/Util/WidgetUtils.h>

#include <QDirIterator>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

#include <glog/logging.h>
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

using namespace Tavrin::Util;

namespace {

// Collects the glog warnings logged while it exists.
class WarningCollector : public google::LogSink
{
public:
    WarningCollector() { google::AddLogSink(this); }
    ~WarningCollector() override { google::RemoveLogSink(this); }

    using google::LogSink::send;
    void send(google::LogSeverity severity, const char*, const char*, int,
              const google::LogMessageTime&, const char* message, size_t length) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (severity == google::GLOG_WARNING) {
            warnings.emplace_back(message, length);
        }
    }

    std::mutex mutex;
    std::vector<std::string> warnings;
};

QColor TextColor(const QWidget* widget)
{
    return widget->palette().color(QPalette::WindowText);
}

}  // namespace

TEST(SpontaneousDialog, MainWindowIsTheLastOneSetWhileItLives)
{
    EXPECT_EQ(SpontaneousDialog::GetMainWindow(), nullptr);
    QWidget first;
    auto second = std::make_unique<QWidget>();
    SpontaneousDialog::SetMainWindow(&first);
    SpontaneousDialog::SetMainWindow(second.get());
    EXPECT_EQ(SpontaneousDialog::GetMainWindow(), second.get());
    second.reset();
    EXPECT_EQ(SpontaneousDialog::GetMainWindow(), nullptr);
}

TEST(WidgetUtils, PositionCentresTheFrameOnTheAvailableScreenArea)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    for (const QSize size : {QSize(200, 100), QSize(301, 151), available.size() * 2}) {
        QWidget window;
        window.resize(size);
        window.show();
        window.move(GetWidgetPosOnCurrentScreenCenter(window));
        EXPECT_LE((window.frameGeometry().center() - available.center()).manhattanLength(), 1)
            << size.width() << "x" << size.height();
    }
}

TEST(WidgetUtils, ApplyWidgetStyleMakesPropertySelectorsTakeEffect)
{
    QWidget panel;
    panel.setObjectName("panel");
    auto* label = new QLabel("status", &panel);
    auto* inner = new QLabel("detail", &panel);
    inner->setObjectName("inner");
    panel.setStyleSheet(
        "QLabel[tone=\"alert\"] { color: rgb(255, 0, 0); }"
        "QLabel[tone=\"calm\"] { color: rgb(0, 0, 255); }"
        "#panel[state=\"error\"] QLabel#inner { color: rgb(0, 128, 0); }");
    panel.show();
    const QColor plain = TextColor(inner);

    ApplyWidgetStyle(label, "alert", "tone");
    EXPECT_EQ(TextColor(label), QColor(255, 0, 0));
    ApplyWidgetStyle(label, "calm", "tone");
    EXPECT_EQ(TextColor(label), QColor(0, 0, 255));
    // A rule on an ancestor's property restyles the descendant.
    ApplyWidgetStyle(&panel, "error", "state");
    EXPECT_EQ(TextColor(inner), QColor(0, 128, 0));
    ApplyWidgetStyle(&panel, "fine", "state");
    EXPECT_EQ(TextColor(inner), plain);

    ApplyWidgetStyle(nullptr, "alert", "tone");
    ApplyWidgetStyle(inner, "alert", nullptr);
    EXPECT_FALSE(inner->property("tone").isValid());
}

TEST(FontDatabase, AddsARealFontAndRefusesOthersWithAWarning)
{
    QDirIterator fonts("/usr/share/fonts", {"*.ttf"}, QDir::Files, QDirIterator::Subdirectories);
    if (fonts.hasNext()) {
        const int id = FontDatabase::addApplicationFont(fonts.next());
        EXPECT_GE(id, 0);
        EXPECT_FALSE(QFontDatabase::applicationFontFamilies(id).isEmpty());
        QFontDatabase::removeApplicationFont(id);
    }
    const QString bogus = Tavrin::Test::NewTempDir("fonts") + "/bogus.ttf";
    ASSERT_TRUE(Tavrin::Test::WriteFile(bogus, "this is not a font"));

    WarningCollector collector;
    EXPECT_EQ(FontDatabase::addApplicationFont(bogus), -1);
    EXPECT_EQ(FontDatabase::addApplicationFont(bogus + ".missing"), -1);
    EXPECT_EQ(FontDatabase::addApplicationFont(QString()), -1);
    std::lock_guard<std::mutex> lock(collector.mutex);
    ASSERT_EQ(collector.warnings.size(), 3u);
    EXPECT_NE(collector.warnings[0].find(bogus.toStdString()), std::string::npos);
}
