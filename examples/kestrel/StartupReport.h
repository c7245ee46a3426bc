#pragma once

#include <Tavrin/App/Application/Application.h>

#include <QStringList>

namespace Kestrel {

// What an unattended run reports once the application has started: one "key: value" line
// per fact, keys in English so that scripts and tests can read them.
QStringList StartupReport(const Tavrin::App::Application& application);

// "url dump: <path>" when the command line asked for the diagnostic URL dump
// (--test-dump-urls or --test-open-urls), "(not written)" before the path when it failed;
// empty when no dump was asked for.
QString UrlDumpReportLine();

// The enumerator's own name ("FirstLaunch", ...); "Unknown(<n>)" for any other value.
QString LaunchTypeName(Tavrin::App::Application::LaunchType type);

}  // namespace Kestrel
