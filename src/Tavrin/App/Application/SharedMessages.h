#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Links/URLKeys.h>

#include <QString>

// Rich-text messages about the graphics driver, each ending in a link to the page that helps.
// The link's URL is the application's GetUrl(key) and its style the application's
// "linkStyle" property (no style when unset). Translated in the context "SharedMessages".

// GPU acceleration is switched off in the driver's control panel.
TAVRIN_APP_EXPORT QString GetGPUNeedSetupDriverMessage(const Tavrin::URLKeys& key);
// The installed driver does not support GPU acceleration.
TAVRIN_APP_EXPORT QString GetGPUUnsupportedDriverMessage(const Tavrin::URLKeys& key);
