#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QCommandLineOption>
#include <QList>
#include <QString>

class QObject;

namespace Tavrin {
namespace App {

// Diagnostic command-line options of every product, read from the application's arguments
// next to the product's own (unknown options are ignored):
//   --test-help                 lists these options and the product's extra ones in a box
//   --test-dump-urls            writes every link of every test locale to the dump file
//   --test-open-urls            dumps, then opens each link: the first 10 s later, the
//                               rest --test-custom-delay ms apart
//   --test-log-urls=path        writes each http(s) URL the process opens to the file instead
//   --test-custom-locales=list  locales of the dump (comma-separated, default: fourteen)
//   --test-custom-delay=ms      delay between two opened links (default 1000)
//   --crash-after=ms            ends the process abnormally after that time
//   --ssl-disable, --ssl-enable links use http or https where they can (not both)
//   --startup-profile           also prints the start-up phase lines to stdout
namespace AppTest {

// The ssl options. Throws Tavrin::Exception "Invalid options combination." when both are
// given. Called by the Application constructor.
TAVRIN_APP_EXPORT void HandleGlobalTestOptions();

// Every other option. additionalOptions (the product's own) only appear in the help. Timers
// of the opened links and of the crash are children of `parent`. Called when the
// application starts, with the application as parent. GUI thread only.
TAVRIN_APP_EXPORT void HandleTestOptions(QList<QCommandLineOption> additionalOptions,
                                         QObject* parent);

// Where the URL dump goes: "<data location>/<module name>-url-dump.csv". Empty without a
// running application or its customization manager.
TAVRIN_APP_EXPORT QString GetUrlDumpFilePath();

}  // namespace AppTest
}  // namespace App
}  // namespace Tavrin
