#pragma once

// An application root below the sandbox, laid out from the look-and-feel tests' compiled data.
#include <Tavrin/App/Application/LookAndFeelManager.h>

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>

namespace Tavrin {
namespace Test {

// An application root below the sandbox, laid out from the compiled data.
struct Root
{
    QString path = Tavrin::Test::NewTempDir(QStringLiteral("root"));
    QString resources = path + "/resources/";

    // Copies compiled data files into a directory below resources/, made even when empty;
    // a catalogue ("core_de_DE") goes to LC_MESSAGES under its domain's name.
    Root& Put(const QString& directory, const QStringList& names, const QString& suffix)
    {
        const QString into = resources + directory + (suffix == ".mo" ? "/LC_MESSAGES/" : "/");
        QDir().mkpath(into);
        for (const QString& name : names) {
            const QString target = into + (suffix == ".mo" ? name.section('_', 0, 0) : name);
            EXPECT_TRUE(QFile::copy(LOOKANDFEEL_DATA_DIR "/" + name + suffix, target + suffix));
        }
        return *this;
    }
    Root& Theme(const QString& name, const QStringList& rcc = {}, const QByteArray& title = "{}")
    {
        Tavrin::Test::WriteFile(resources + "themes/" + name + "/title.json", title);
        return Put("themes/" + name, rcc, ".rcc");
    }
    Root& Locale(const QString& name, const QStringList& qm = {}, const QStringList& mo = {})
    {
        return Put("locales/" + name, qm, ".qm").Put("locales/" + name, mo, ".mo");
    }
    auto Manager(const std::list<std::string>& modules = {},
                 const std::list<std::string>& domains = {})
    {
        return std::make_shared<Tavrin::App::LookAndFeelManager>(path.toStdString(), "title.json",
                                                                 modules, domains);
    }
};

}  // namespace Test
}  // namespace Tavrin
