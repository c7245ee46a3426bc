#pragma once

#include <QMainWindow>

class QListWidget;
class QListWidgetItem;
class QTextBrowser;

namespace Kestrel {

// The product's main window: a list of projects beside the selected project's details.
// It decides nothing about quitting: File > Quit and closing the window ask through
// QuitRequested, and whoever owns the quit policy answers.
class KestrelMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit KestrelMainWindow(const QString& version, QWidget* parent = nullptr);

signals:
    void QuitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();
    QWidget* CreateWorkspace();
    void FillProjects();
    void ShowProject(const QListWidgetItem* item);

    QListWidget* m_projects = nullptr;
    QTextBrowser* m_details = nullptr;
};

}  // namespace Kestrel
