#include "Tavrin/App/Application/SharedMessages.h"

#include <Tavrin/App/Application/Application.h>

#include <QCoreApplication>
#include <QVariant>

namespace {

// Fills in the link: %1 the URL, %2 its CSS style. Without our application object there is
// no links manager, so the link stays empty rather than failing.
QString WithLink(const QString& text, const Tavrin::URLKeys& key)
{
    const Tavrin::App::Application* application = Tavrin::App::Application::Instance();
    const QString url = application ? application->GetUrl(key) : QString();
    const QCoreApplication* core = QCoreApplication::instance();
    const QString style = core ? core->property("linkStyle").toString() : QString();
    return text.arg(url, style);
}

}  // namespace

QString GetGPUNeedSetupDriverMessage(const Tavrin::URLKeys& key)
{
    return WithLink(
        QCoreApplication::translate(
            "SharedMessages",
            "NVIDIA<sup>&reg;</sup> CUDA&#8482; acceleration has been disabled in "
            "NVIDIA<sup>&reg;</sup> Control Panel. To enable CUDA&#8482; acceleration for Tavrin "
            "Kestrel, select <b>High-performance NVIDIA<sup>&reg;</sup> processor</b> as your "
            "preferred graphics processor in NVIDIA<sup>&reg;</sup> Control Panel.<br><br><a "
            "href=\"%1\" style=\"%2\">Detailed Instructions</a>"),
        key);
}

QString GetGPUUnsupportedDriverMessage(const Tavrin::URLKeys& key)
{
    return WithLink(
        QCoreApplication::translate(
            "SharedMessages",
            "Unfortunately, the currently installed graphics card driver does not support "
            "NVIDIA<sup>&reg;</sup> CUDA&#8482; acceleration.<br><br>You can install an earlier "
            "version of the NVIDIA<sup>&reg;</sup> graphics card driver to enable CUDA&#8482; "
            "acceleration. To do that, simply download the installation package and follow the "
            "manufacturer's instructions to install the driver.<br><br><a href=\"%1\" "
            "style=\"%2\">Download Driver</a>"),
        key);
}
