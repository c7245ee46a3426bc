// Uses the installed library the way a product does and checks a few answers.
#include <Tavrin/App/TavrinApp.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

namespace {

struct Counter : Tavrin::App::ISettingsManagerObserver
{
    void OnBoolChanged(const std::string&, bool, const boost::optional<bool>&) override {}
    void OnIntChanged(const std::string&, int, const boost::optional<int>&) override { ++calls; }
    void OnStringChanged(const std::string&, const std::string&,
                         const boost::optional<std::string>&) override
    {
    }
    void OnByteArrayChanged(const std::string&, const std::vector<unsigned char>&,
                            const boost::optional<std::vector<unsigned char>>&) override
    {
    }
    void OnInt64Changed(const std::string&, std::int64_t,
                        const boost::optional<std::int64_t>&) override
    {
    }
    void OnDoubleChanged(const std::string&, double, const boost::optional<double>&) override {}
    int calls = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    Tavrin::App::SettingsManager settings(dir.filePath(QStringLiteral("consumer.ini")),
                                          QSettings::IniFormat);
    Counter counter;
    settings.RegisterObserver(&counter);
    settings.SetInt("answer", 42);
    settings.SetInt("answer", 42);
    const QString version =
        Tavrin::Util::VersionToString(Tavrin::Core::Version(14, 5, 0), 0, QStringLiteral("."));
    const bool ok = counter.calls == 1 && settings.GetInt("answer", 0) == 42 &&
                    version == QLatin1String("14.5.0");
    std::printf("consumer: %s\n", ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
