// ConfirmationAlertBox and ColorDialogHelper against the same work written by hand on Qt.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ColorDialogHelper.h>
#include <Tavrin/App/Application/ConfirmationAlertBox.h>
#include <Tavrin/App/Application/SettingsManager.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using Tavrin::App::ConfirmationAlertBox;
using Tavrin::App::SettingsManager;

const QMessageBox::StandardButtons kButtons = QMessageBox::Ok | QMessageBox::Cancel;

QTemporaryDir& Scratch()
{
    static QTemporaryDir dir;
    return dir;
}

QString RememberedStore()
{
    const QString path = Scratch().filePath("remembered.ini");
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue("confirm/delete_dont_confirm", true);
    settings.setValue("confirm/delete_answer", int(QMessageBox::Ok));
    return path;
}

// A remembered answer: Exec reads the two keys and shows nothing.
void BM_RememberedAnswer_Exec(benchmark::State& state)
{
    const auto store = std::make_shared<SettingsManager>(RememberedStore(), QSettings::IniFormat);
    ConfirmationAlertBox box(store, Tavrin::Util::AlertBox::Question, "", "Delete?", kButtons);
    box.SetConfirmationId("delete");
    for (auto _ : state) {
        benchmark::DoNotOptimize(box.Exec());
    }
}

void BM_RememberedAnswer_RawQSettings(benchmark::State& state)
{
    QSettings settings(RememberedStore(), QSettings::IniFormat);
    const QString id = QStringLiteral("delete");
    for (auto _ : state) {
        const bool silent =
            settings.value(QStringLiteral("confirm/%1_%2").arg(id, "dont_confirm"), false).toBool();
        int answer = 0;
        if (silent) {
            answer = settings.value(QStringLiteral("confirm/%1_%2").arg(id, "answer"), 0).toInt();
        }
        benchmark::DoNotOptimize(answer);
    }
}

// Building the box: ours moves the button box into a row with the check box and styles the
// buttons; the twin is QMessageBox with its own check box.
void BM_BuildBox_Confirmation(benchmark::State& state)
{
    for (auto _ : state) {
        ConfirmationAlertBox box(nullptr, Tavrin::Util::AlertBox::Question, "Kestrel",
                                 "Delete the project?", kButtons);
        benchmark::DoNotOptimize(&box);
    }
}

void BM_BuildBox_RawQMessageBox(benchmark::State& state)
{
    for (auto _ : state) {
        QMessageBox box(QMessageBox::Question, "Kestrel", "Delete the project?", kButtons);
        box.setCheckBox(new QCheckBox("Don't show this again"));
        benchmark::DoNotOptimize(&box);
    }
}

// Loading and saving the sixteen custom colours through the application's general store.
void BM_CustomColours_Helper(benchmark::State& state)
{
    for (auto _ : state) {
        Tavrin::App::ColorDialogHelper helper;
        benchmark::DoNotOptimize(&helper);
    }
}

void BM_CustomColours_RawQSettings(benchmark::State& state)
{
    QSettings settings(Scratch().filePath("raw-colours.ini"), QSettings::IniFormat);
    const QString group = QStringLiteral("Tavrin::App::ColorDialogHelper");
    for (auto _ : state) {
        const int count = settings.value(group + "/ColorsCount", 0).toInt();
        for (int i = 0; i < count && i < QColorDialog::customCount(); ++i) {
            QColorDialog::setCustomColor(
                i,
                QColor(
                    settings.value(group + "/Color" + QString::number(i), "#000000").toString()));
        }
        settings.remove(group);
        settings.setValue(group + "/ColorsCount", QColorDialog::customCount());
        for (int i = 0; i < QColorDialog::customCount(); ++i) {
            settings.setValue(group + "/Color" + QString::number(i),
                              QColorDialog::customColor(i).name());
        }
    }
}

BENCHMARK(BM_RememberedAnswer_Exec);
BENCHMARK(BM_RememberedAnswer_RawQSettings);
BENCHMARK(BM_BuildBox_Confirmation);
BENCHMARK(BM_BuildBox_RawQMessageBox);
BENCHMARK(BM_CustomColours_Helper);
BENCHMARK(BM_CustomColours_RawQSettings);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The application reads diagnostic options from its command line; it gets none.
    int appArgc = 1;
    Tavrin::App::Application application(appArgc, argv,
                                         Tavrin::App::Application::AppContext{false});
    application.SetSettingsManager(
        std::make_shared<SettingsManager>(Scratch().filePath("colours.ini"), QSettings::IniFormat));
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
