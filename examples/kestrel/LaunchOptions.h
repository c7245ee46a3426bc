#pragma once

#include <QString>

namespace Kestrel {

// What the command line asks of this run, read before Qt starts (so that it can still
// choose the platform). Arguments it does not know are left to Qt.
struct LaunchOptions
{
    // Run unattended on the offscreen platform: report, save a screenshot, quit.
    bool offscreenSmoke = false;
    // Report and quit as soon as the application has started, without a screenshot.
    bool quitAfterStart = false;
    // Where the screenshot goes; empty for the default.
    QString screenshotPath;
    // Why the command line cannot be used; empty when it can.
    QString error;

    static LaunchOptions Parse(int argc, const char* const* argv);

    bool IsUnattended() const { return offscreenSmoke || quitAfterStart; }
    bool WantsScreenshot() const { return offscreenSmoke && !quitAfterStart; }
    // The screenshot path as given, else "tavrin-kestrel.png" in the temporary directory.
    QString ScreenshotPath() const;
};

// Puts QT_QPA_PLATFORM=offscreen for a smoke run or when there is no display at all, unless
// the user chose a platform already.
void UseOffscreenPlatformIfNeeded(const LaunchOptions& options);

}  // namespace Kestrel
