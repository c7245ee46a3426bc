// LookAndFeelManager::SetTheme and SetLocale against the raw Qt work they wrap, and
// QApplication::setStyleSheet of the united sheet on a realistic main window.
//
// Fixture: two themes ("light", "dark") of three .rcc modules with about 50 KB of style
// sheet in all and 20 font variables, and two locales of three .qm modules. Each iteration
// switches to the other theme or locale, so every run unloads the previous one as well.
#include <Tavrin/App/Application/LookAndFeelManager.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>

#ifdef TAVRIN_HAVE_DEMO_WINDOW
#include "KestrelMainWindow.h"
#endif
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QResource>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTranslator>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

using Tavrin::App::LookAndFeelManager;

const QStringList kModules = {"core", "widgets", "dialogs"};
const std::array<QString, 2> kThemes = {"light", "dark"};
const std::array<QString, 2> kLocales = {"de_DE", "ru_RU"};
constexpr int kVariables = 20;
constexpr int kRulesPerModule = 160;  // about 16 KB of style sheet per module
constexpr int kMessagesPerModule = 400;

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::cerr << "cannot write " << path.toStdString() << "\n";
        std::exit(1);
    }
}

void Run(const QString& program, const QStringList& arguments)
{
    if (QProcess::execute(program, arguments) != 0) {
        std::cerr << program.toStdString() << " failed\n";
        std::exit(1);
    }
}

QString Variable(int index)
{
    return QStringLiteral("@var%1").arg(index, 2, 10, QLatin1Char('0'));
}

QString Value(int theme, int index)
{
    return QStringLiteral("#%1%2a0")
        .arg(QLatin1String(theme ? "20" : "c8"))
        .arg(index * 12, 2, 16, QLatin1Char('0'));
}

QByteArray StyleSheet(const QString& module)
{
    QString sheet;
    for (int rule = 0; rule < kRulesPerModule; ++rule) {
        sheet += QStringLiteral(
                     "QWidget#%1_%2 { color: %3; background: %4; border: 1px solid "
                     "%5; padding: 2px 4px; }\n")
                     .arg(module)
                     .arg(rule)
                     .arg(Variable(rule % kVariables), Variable((rule + 7) % kVariables),
                          Variable((rule + 13) % kVariables));
    }
    return sheet.toUtf8();
}

// The first module defines every variable, 15 for all platforms and 5 for "win".
QByteArray FontsJson(int theme, const QString& module)
{
    QStringList common, win;
    for (int index = 0; index < kVariables && module == kModules.first(); ++index) {
        (index < 15 ? common : win)
            << QStringLiteral("\"%1\": \"%2\"").arg(Variable(index).mid(1), Value(theme, index));
    }
    return QStringLiteral(
               "{\"all_platforms\": {\"all_languages\": {%1}}, \"win\": "
               "{\"all_languages\": {%2}}}")
        .arg(common.join(", "), win.join(", "))
        .toUtf8();
}

QByteArray Translations(const QString& locale, const QString& module)
{
    QString ts = QStringLiteral(
                     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n"
                     "<TS version=\"2.1\" language=\"%1\">\n<context><name>%2</name>\n")
                     .arg(locale, module);
    for (int message = 0; message < kMessagesPerModule; ++message) {
        ts += QStringLiteral(
                  "<message><source>Text number %1</source><translation>%2 %1"
                  "</translation></message>\n")
                  .arg(message)
                  .arg(locale);
    }
    return (ts + "</context>\n</TS>\n").toUtf8();
}

struct Fixture
{
    QTemporaryDir root;
    std::array<QStringList, 2> resourceFiles;
    std::array<QMap<QString, QString>, 2> variables;

    Fixture()
    {
        for (int theme = 0; theme < 2; ++theme) {
            const QString directory = root.filePath("resources/themes/" + kThemes[theme]);
            QDir().mkpath(directory + "/src");
            Write(directory + "/title.json", "{\"en_US\": \"" + kThemes[theme].toUtf8() + "\"}");
            for (const QString& module : kModules) {
                const QString source = directory + "/src/" + module;
                Write(source + ".qss", StyleSheet(module));
                Write(source + "_win.qss", "QDialog { font-family: @var19; }\n");
                Write(source + ".json", FontsJson(theme, module));
                Write(source + ".qrc",
                      QStringLiteral("<RCC><qresource prefix=\"/%1\"><file alias=\"style.qss\">"
                                     "%1.qss</file><file alias=\"fonts_win.qss\">%1_win.qss</file>"
                                     "<file alias=\"fonts.json\">%1.json</file></qresource></RCC>")
                          .arg(module)
                          .toUtf8());
                resourceFiles[theme] << directory + "/" + module + ".rcc";
                Run(RCC_EXECUTABLE,
                    {"--binary", source + ".qrc", "-o", resourceFiles[theme].last()});
            }
            for (int index = 0; index < kVariables; ++index) {
                variables[theme][Variable(index)] = Value(theme, index);
            }
        }
        for (const QString& locale : kLocales) {
            const QString directory = root.filePath("resources/locales/" + locale + "/");
            QDir().mkpath(directory);
            for (const QString& module : kModules) {
                const QString base = directory + module + "_" + locale;
                Write(base + ".ts", Translations(locale, module));
                Run(LRELEASE_EXECUTABLE, {"-silent", base + ".ts", "-qm", base + ".qm"});
            }
        }
    }

    std::unique_ptr<LookAndFeelManager> Manager() const
    {
        return std::make_unique<LookAndFeelManager>(
            root.path().toStdString(), "title.json",
            std::list<std::string>{"core", "widgets", "dialogs"}, std::list<std::string>{"core"});
    }
    QString TranslationFile(int locale, const QString& module) const
    {
        return root.filePath("resources/locales/" + kLocales[locale] + "/" + module + "_" +
                             kLocales[locale] + ".qm");
    }
};

const Fixture& Data()
{
    static const Fixture fixture;
    return fixture;
}

QString ReadText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll())
                                                            : QString();
}

void BM_SetTheme_Manager(benchmark::State& state)
{
    const auto manager = Data().Manager();
    int turn = 0;
    for (auto _ : state) {
        manager->SetTheme(kThemes[turn++ % 2].toStdString());
    }
    benchmark::DoNotOptimize(manager->GetUnitedStylesheet());
    manager->SetTheme("");
    state.counters["sheet_bytes"] = manager->GetUnitedStylesheet().size();
}
BENCHMARK(BM_SetTheme_Manager)->Unit(benchmark::kMicrosecond);

// Register the modules, read their sheets and the library's, substitute the variables.
void BM_SetTheme_Raw(benchmark::State& state)
{
    const Fixture& data = Data();
    QString sheet;
    int turn = 0;
    for (auto _ : state) {
        const int theme = turn++ % 2;
        for (const QString& file : data.resourceFiles[1 - theme]) {
            QResource::unregisterResource(file);
        }
        for (const QString& file : data.resourceFiles[theme]) {
            QResource::registerResource(file);
        }
        sheet.clear();
        for (const QString& module : kModules) {
            sheet += ReadText(":/" + module + "/style.qss") + '\n';
            sheet += ReadText(":/" + module + "/fonts_win.qss") + '\n';
        }
        sheet += ReadText(":/productStyle.qss") + '\n' + ReadText(":/productStyle_win.qss") + '\n';
        for (auto variable = data.variables[theme].cbegin();
             variable != data.variables[theme].cend(); ++variable) {
            sheet.replace(variable.key(), variable.value());
        }
        benchmark::DoNotOptimize(sheet.toUtf8());
    }
    for (const QString& file : data.resourceFiles[(turn + 1) % 2]) {
        QResource::unregisterResource(file);
    }
}
BENCHMARK(BM_SetTheme_Raw)->Unit(benchmark::kMicrosecond);

void BM_SetLocale_Manager(benchmark::State& state)
{
    const auto manager = Data().Manager();
    int turn = 0;
    for (auto _ : state) {
        manager->SetLocale(kLocales[turn++ % 2].toStdString());
    }
}
BENCHMARK(BM_SetLocale_Manager)->Unit(benchmark::kMicrosecond);

// Take the previous translators out, load and install the three of the other locale.
void BM_SetLocale_Raw(benchmark::State& state)
{
    std::list<std::shared_ptr<QTranslator>> installed;
    int turn = 0;
    for (auto _ : state) {
        const int locale = turn++ % 2;
        for (const auto& translator : installed) {
            QCoreApplication::removeTranslator(translator.get());
        }
        installed.clear();
        for (const QString& module : kModules) {
            auto translator = std::make_shared<QTranslator>();
            if (translator->load(Data().TranslationFile(locale, module))) {
                QCoreApplication::installTranslator(translator.get());
                installed.push_back(std::move(translator));
            }
        }
    }
}
BENCHMARK(BM_SetLocale_Raw)->Unit(benchmark::kMicrosecond);

// A main window of a typical size: menus, a tool bar, three tabs of forms, a tree.
std::unique_ptr<QMainWindow> MainWindow()
{
    auto window = std::make_unique<QMainWindow>();
    for (const char* title : {"File", "Edit", "View", "Help"}) {
        QMenu* menu = window->menuBar()->addMenu(title);
        for (int item = 0; item < 8; ++item) {
            menu->addAction(QStringLiteral("%1 item %2").arg(title).arg(item));
        }
    }
    QToolBar* tools = window->addToolBar("Tools");
    for (int item = 0; item < 10; ++item) {
        tools->addAction(QStringLiteral("Tool %1").arg(item));
    }
    auto* tabs = new QTabWidget;
    for (int tab = 0; tab < 3; ++tab) {
        auto* page = new QWidget;
        auto* form = new QFormLayout(page);
        for (int row = 0; row < 15; ++row) {
            QWidget* field = row % 4 == 0   ? static_cast<QWidget*>(new QComboBox)
                             : row % 4 == 1 ? static_cast<QWidget*>(new QSpinBox)
                             : row % 4 == 2 ? static_cast<QWidget*>(new QCheckBox("Enabled"))
                                            : static_cast<QWidget*>(new QLineEdit);
            field->setObjectName(QStringLiteral("%1_%2").arg(kModules[tab]).arg(row));
            form->addRow(new QLabel(QStringLiteral("Field %1").arg(row)), field);
        }
        form->addRow(new QPushButton("Apply"));
        tabs->addTab(page, QStringLiteral("Page %1").arg(tab));
    }
    auto* tree = new QTreeWidget;
    for (int item = 0; item < 100; ++item) {
        tree->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("Item %1").arg(item)}));
    }
    tabs->addTab(tree, "Tree");
    window->setCentralWidget(tabs);
    window->statusBar()->showMessage("Ready");
    window->resize(1024, 768);
    window->show();
    return window;
}

template <typename MakeWindow>
void ApplyUnitedStylesheet(benchmark::State& state, MakeWindow makeWindow)
{
    const auto manager = Data().Manager();
    std::array<QString, 2> sheets;
    for (int theme = 0; theme < 2; ++theme) {
        manager->SetTheme(kThemes[theme].toStdString());
        sheets[theme] = QString::fromStdString(manager->GetUnitedStylesheet());
    }
    const auto window = makeWindow();
    QCoreApplication::processEvents();
    int turn = 0;
    for (auto _ : state) {
        qApp->setStyleSheet(sheets[turn++ % 2]);
        QCoreApplication::processEvents();
    }
    qApp->setStyleSheet(QString());
    manager->SetTheme("");
}
void BM_ApplyUnitedStylesheet(benchmark::State& state)
{
    ApplyUnitedStylesheet(state, MainWindow);
}
BENCHMARK(BM_ApplyUnitedStylesheet)->Unit(benchmark::kMillisecond);

#ifdef TAVRIN_HAVE_DEMO_WINDOW
// The same on the demo product's own main window.
void BM_ApplyUnitedStylesheet_DemoWindow(benchmark::State& state)
{
    ApplyUnitedStylesheet(state, [] {
        auto window = std::make_unique<Kestrel::KestrelMainWindow>(QStringLiteral("14.5.0"));
        window->show();
        return window;
    });
}
BENCHMARK(BM_ApplyUnitedStylesheet_DemoWindow)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    benchmark::Initialize(&argc, argv);
    QApplication application(argc, argv);
    Data();
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
