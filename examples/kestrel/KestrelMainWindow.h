#pragma once

#include <QMainWindow>

class QListWidget;
class QListWidgetItem;
class QTextBrowser;

namespace Kestrel {

// The product's main window: a list of projects beside the selected project's details.
// It decides nothing about quitting or restarting: File > Quit, File > Restart and closing the
// window ask through QuitRequested and RestartRequested, and whoever owns the policy answers.
class KestrelMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit KestrelMainWindow(const QString& version, QWidget* parent = nullptr);

    // Tells the user that the previous session ended unexpectedly.
    void ShowPreviousSessionCrashed(int crashedSessions);

signals:
    void QuitRequested();
    void RestartRequested();

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
