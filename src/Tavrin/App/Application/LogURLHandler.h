#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>

class QFile;

namespace Tavrin {
namespace App {

// Writes the URLs handed to it into a file, one per line, instead of opening them. The
// diagnostics register it with QDesktopServices for "http" and "https".
class TAVRIN_APP_EXPORT LogURLHandler : public QObject
{
    Q_OBJECT

public:
    // Creates or truncates the file at `path`. When it cannot be opened, URLs are dropped.
    LogURLHandler(QObject* parent, const QString& path);
    ~LogURLHandler() override;

public slots:
    void logUrls(const QUrl& url);

private:
    std::unique_ptr<QFile> m_file;  // null when the file could not be opened
};

}  // namespace App
}  // namespace Tavrin
