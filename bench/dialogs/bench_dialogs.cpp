// The e-mail validator against QRegularExpressionValidator with the same rule written as a
// pattern, on a typical address, a 1,000-character one and a half-typed one; and building the
// newsletter card against a bare QDialog given the same style sheets.
#include <Tavrin/App/Application/EmailDialog.h>
#include <Tavrin/Util/EmailValidator.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The same rule as a pattern: web forms' local part, two or more domain labels.
const char kPattern[] =
    "[A-Za-z0-9.!#$%&'*+/=?^_`{|}~-]+@[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?"
    "(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)+";

QString Address(int64_t kind)
{
    switch (kind) {
        case 0: return QStringLiteral("first.last+tag@mail.example.co.uk");
        case 1: return QString(1000, QLatin1Char('a')) + QStringLiteral("@example.org");
        default: return QStringLiteral("first.last@mail.exa");
    }
}

void Validate(benchmark::State& state, QValidator& validator)
{
    const QString address = Address(state.range(0));
    for (auto _ : state) {
        QString text = address;
        int position = text.size();
        benchmark::DoNotOptimize(validator.validate(text, position));
    }
}

void BM_Validator_Ours(benchmark::State& state)
{
    std::unique_ptr<QValidator> validator(Tavrin::Util::GetEmailValidator(nullptr));
    Validate(state, *validator);
}
BENCHMARK(BM_Validator_Ours)->Arg(0)->Arg(1)->Arg(2);

void BM_Validator_Regex(benchmark::State& state)
{
    QRegularExpressionValidator validator{QRegularExpression(QString::fromLatin1(kPattern))};
    Validate(state, validator);
}
BENCHMARK(BM_Validator_Regex)->Arg(0)->Arg(1)->Arg(2);

void BM_Card_EmailDialog(benchmark::State& state)
{
    for (auto _ : state) {
        Tavrin::App::EmailDialog card(nullptr);
        benchmark::DoNotOptimize(card.size());
    }
}
BENCHMARK(BM_Card_EmailDialog)->Unit(benchmark::kMicrosecond);

void BM_Card_BareDialogSameSheets(benchmark::State& state)
{
    QByteArray sheet;
    for (const char* path : {":/EmailDialog/EmailDialog.qss", ":/Dialogs/Dialogs.qss"}) {
        QFile file{QString::fromLatin1(path)};
        file.open(QIODevice::ReadOnly);
        sheet += file.readAll();
    }
    for (auto _ : state) {
        QDialog dialog;
        dialog.setStyleSheet(QString::fromUtf8(sheet));
        dialog.ensurePolished();
        dialog.adjustSize();
        benchmark::DoNotOptimize(dialog.size());
    }
}
BENCHMARK(BM_Card_BareDialogSameSheets)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
