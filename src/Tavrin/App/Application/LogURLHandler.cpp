#include "Tavrin/App/Application/LogURLHandler.h"

#include <QFile>
#include <QTextStream>

#include <glog/logging.h>

namespace Tavrin {
namespace App {

LogURLHandler::LogURLHandler(QObject* parent, const QString& path)
    : QObject(parent), m_file(std::make_unique<QFile>(path))
{
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        LOG(WARNING) << "Cannot open the URL log " << path.toStdString() << ": "
                     << m_file->errorString().toStdString() << "; opened URLs are dropped";
        m_file.reset();
    }
}

LogURLHandler::~LogURLHandler() = default;

void LogURLHandler::logUrls(const QUrl& url)
{
    if (!m_file) {
        return;
    }
    QTextStream stream(m_file.get());
    stream.setCodec("UTF-8");
    stream << url.url() << '\n';
    stream.flush();
}

}  // namespace App
}  // namespace Tavrin
