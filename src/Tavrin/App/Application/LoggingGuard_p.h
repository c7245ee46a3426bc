#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <chrono>
#include <string>

namespace Tavrin {
namespace App {
namespace Logging {

// Points glog's files at the per-user log directory
// <base>/Tavrin/Logs/<product>/<executable>.<user>.<SEVERITY>.<glog's time stamp and pid>
// (glog's link to the latest file of a severity is <executable>.<SEVERITY>),
// where base is $LOCALAPPDATA, else $USERPROFILE/Local settings/Application Data, else the XDG
// data directory. Deletes this executable's files there that are older than retentionDays
// (negative: none), switches off the files below lowestSeverity, sets TavrinLogPath to the
// directory and starts glog unless it runs already. The product is productName, else
// $GLOG_PRODUCT_NAME, else "UnknownProduct", cut to what follows its last '\' or '/'.
// Returns false, leaving glog alone, when there is no base or the directory cannot be made.
// No once-guard: use EnsureInitialized.
TAVRIN_APP_EXPORT bool Initialize(const std::string& productName, int lowestSeverity,
                                  int retentionDays);

// The process's logging: the first call initialises it (every severity, 10 days' retention)
// and, on success, tells the stack tracer and routes Qt's messages into the log, except
// libpng's warnings. Later calls return the first result. Undone at process exit.
TAVRIN_APP_EXPORT bool EnsureInitialized();

// Keeps the WARNING and ERROR lines logged before glog starts (glog writes them to stderr
// only), the first 100 of them, and has EnsureInitialized write them to the log when it starts
// it. For the application object's constructor, which runs before the product starts logging.
// Later calls do nothing.
TAVRIN_APP_EXPORT void KeepEarlyWarnings();

// The directory of the log files with a trailing '/', or empty while logging is not set up.
TAVRIN_APP_EXPORT std::string GetLogDirectory();

// Whether the retention sweep deletes a file of the log directory: one of this executable's
// ("<executableName>.") created more than retentionDays before now.
TAVRIN_APP_EXPORT bool IsExpiredLogFile(const std::string& fileName,
                                        const std::string& executableName,
                                        std::chrono::system_clock::time_point createdAt,
                                        std::chrono::system_clock::time_point now,
                                        int retentionDays);

}  // namespace Logging
}  // namespace App
}  // namespace Tavrin
