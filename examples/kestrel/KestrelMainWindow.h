#pragma once

#include <QMainWindow>

class QAction;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QTextBrowser;

namespace Kestrel {

// The product's main window: a list of projects beside the selected project's details.
// It decides nothing about quitting or restarting: File > Quit, File > Restart and closing the
// window ask through QuitRequested and RestartRequested, and whoever owns the policy answers.
// View > Language and View > Theme are left empty for whoever knows the languages and themes;
// every text of the window follows the installed translators.
class KestrelMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit KestrelMainWindow(const QString& version, QWidget* parent = nullptr);

    // Tells the user that the previous session ended unexpectedly.
    void ShowPreviousSessionCrashed(int crashedSessions);

    // The submenus of View; the window neither fills nor clears them.
    QMenu* LanguageMenu() const { return m_languageMenu; }
    QMenu* ThemeMenu() const { return m_themeMenu; }
    // File; others may add their entries.
    QMenu* FileMenu() const { return m_fileMenu; }
    // Help; whoever knows the product's links adds them.
    QMenu* HelpMenu() const { return m_helpMenu; }

signals:
    void QuitRequested();
    void RestartRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateMenus();
    QWidget* CreateWorkspace();
    void FillProjects();
    void RetranslateUi();
    void RetranslateProjects();
    void ShowProject(const QListWidgetItem* item);

    const QString m_version;
    int m_crashedSessions = 0;
    QMenu* m_fileMenu = nullptr;
    QAction* m_restartAction = nullptr;
    QAction* m_quitAction = nullptr;
    QMenu* m_viewMenu = nullptr;
    QMenu* m_languageMenu = nullptr;
    QMenu* m_themeMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QAction* m_aboutQtAction = nullptr;
    QLabel* m_versionLabel = nullptr;
    QLabel* m_crashNotice = nullptr;
    QListWidget* m_projects = nullptr;
    QTextBrowser* m_details = nullptr;
};

}  // namespace Kestrel
