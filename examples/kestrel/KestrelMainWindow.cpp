#include "KestrelMainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBrowser>

#include <iterator>

namespace Kestrel {

namespace {

enum ProjectRole
{
    ProjectIndexRole = Qt::UserRole,
};

// The sample projects; texts are translated whenever they are shown. Owners are names and
// stay as written.
struct ProjectText
{
    const char* name;
    const char* owner;
    const char* status;
    const char* summary;
};

const ProjectText kProjects[] = {
    {QT_TRANSLATE_NOOP("Kestrel::KestrelMainWindow", "Harbour survey"), "M. Okafor",
     QT_TRANSLATE_NOOP("Kestrel::KestrelMainWindow", "In progress"),
     QT_TRANSLATE_NOOP("Kestrel::KestrelMainWindow",
                       "Depth soundings and mooring positions for the east basin.")},
    {QT_TRANSLATE_NOOP("Kestrel::KestrelMainWindow", "Spring catalogue"), "L. Brandt",
     QT_TRANSLATE_NOOP("Kestrel::KestrelMainWindow", "Review"),
     QT_TRANSLATE_NOOP("Kestrel::KestrelMainWindow",
                       "Layouts and product photographs for the spring range.")},
    {QT_TRANSLATE_NOOP("Kestrel::KestrelMainWindow", "Field notes"), "S. Ivers",
     QT_TRANSLATE_NOOP("Kestrel::KestrelMainWindow", "Draft"),
     QT_TRANSLATE_NOOP("Kestrel::KestrelMainWindow",
                       "Observations from the upland transects, with sketches.")},
    {QT_TRANSLATE_NOOP("Kestrel::KestrelMainWindow", "Quarterly report"), "A. Chen",
     QT_TRANSLATE_NOOP("Kestrel::KestrelMainWindow", "Done"),
     QT_TRANSLATE_NOOP("Kestrel::KestrelMainWindow",
                       "Figures and commentary for the third quarter.")},
};

const ProjectText* ProjectOf(const QListWidgetItem* item)
{
    const int index = item->data(ProjectIndexRole).toInt();
    return index >= 0 && index < int(std::size(kProjects)) ? &kProjects[index] : nullptr;
}

}  // namespace

KestrelMainWindow::KestrelMainWindow(const QString& version, QWidget* parent)
    : QMainWindow(parent), m_version(version)
{
    CreateMenus();
    setCentralWidget(CreateWorkspace());
    m_versionLabel = new QLabel(this);
    statusBar()->addPermanentWidget(m_versionLabel);
    FillProjects();
    RetranslateUi();
    resize(900, 600);
}

void KestrelMainWindow::closeEvent(QCloseEvent* event)
{
    // The window stays until the application agrees to quit.
    event->ignore();
    emit QuitRequested();
}

void KestrelMainWindow::changeEvent(QEvent* event)
{
    // Sent to every widget when a translator is installed or removed.
    if (event->type() == QEvent::LanguageChange) {
        RetranslateUi();
    }
    QMainWindow::changeEvent(event);
}

void KestrelMainWindow::CreateMenus()
{
    m_fileMenu = menuBar()->addMenu(QString());
    m_restartAction = m_fileMenu->addAction(QString());
    connect(m_restartAction, &QAction::triggered, this, &KestrelMainWindow::RestartRequested);
    m_quitAction = m_fileMenu->addAction(QString());
    m_quitAction->setShortcut(QKeySequence::Quit);
    connect(m_quitAction, &QAction::triggered, this, &KestrelMainWindow::QuitRequested);

    m_viewMenu = menuBar()->addMenu(QString());
    m_languageMenu = m_viewMenu->addMenu(QString());
    m_themeMenu = m_viewMenu->addMenu(QString());

    m_helpMenu = menuBar()->addMenu(QString());
    m_aboutQtAction = m_helpMenu->addAction(QString());
    connect(m_aboutQtAction, &QAction::triggered, qApp, &QApplication::aboutQt);
}

void KestrelMainWindow::RetranslateUi()
{
    setWindowTitle(tr("Tavrin Kestrel"));
    m_fileMenu->setTitle(tr("&File"));
    m_restartAction->setText(tr("&Restart"));
    m_quitAction->setText(tr("&Quit"));
    m_viewMenu->setTitle(tr("&View"));
    m_languageMenu->setTitle(tr("&Language"));
    m_themeMenu->setTitle(tr("&Theme"));
    m_helpMenu->setTitle(tr("&Help"));
    m_aboutQtAction->setText(tr("About &Qt"));
    m_versionLabel->setText(tr("Version %1").arg(m_version));
    if (m_crashNotice) {
        m_crashNotice->setText(
            tr("The previous session of Tavrin Kestrel ended unexpectedly (%n session(s)).",
               nullptr, m_crashedSessions));
    } else {
        statusBar()->showMessage(tr("Ready"));
    }
    RetranslateProjects();
}

void KestrelMainWindow::ShowPreviousSessionCrashed(int crashedSessions)
{
    if (crashedSessions <= 0) {
        return;
    }
    m_crashedSessions = crashedSessions;
    if (!m_crashNotice) {
        m_crashNotice = new QLabel(this);
        m_crashNotice->setObjectName(QStringLiteral("crashNotice"));
        // A warning looks the same in every theme.
        m_crashNotice->setStyleSheet(
            QStringLiteral("QLabel { background: #fff3cd; color: #4d3800; padding: 2px 6px; }"));
        statusBar()->addWidget(m_crashNotice);
    }
    statusBar()->clearMessage();
    RetranslateUi();
}

QWidget* KestrelMainWindow::CreateWorkspace()
{
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    m_projects = new QListWidget(splitter);
    m_details = new QTextBrowser(splitter);
    m_details->setOpenLinks(false);
    splitter->addWidget(m_projects);
    splitter->addWidget(m_details);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});
    connect(m_projects, &QListWidget::currentItemChanged, this,
            [this](const QListWidgetItem* current) { ShowProject(current); });
    return splitter;
}

void KestrelMainWindow::FillProjects()
{
    for (int index = 0; index < int(std::size(kProjects)); ++index) {
        auto* item = new QListWidgetItem(m_projects);
        item->setData(ProjectIndexRole, index);
    }
}

void KestrelMainWindow::RetranslateProjects()
{
    for (int row = 0; row < m_projects->count(); ++row) {
        QListWidgetItem* item = m_projects->item(row);
        if (const ProjectText* project = ProjectOf(item)) {
            item->setText(tr(project->name));
        }
    }
    if (!m_projects->currentItem() && m_projects->count() > 0) {
        m_projects->setCurrentRow(0);  // shows it
    } else {
        ShowProject(m_projects->currentItem());
    }
}

void KestrelMainWindow::ShowProject(const QListWidgetItem* item)
{
    const ProjectText* project = item ? ProjectOf(item) : nullptr;
    if (!project) {
        m_details->clear();
        return;
    }
    m_details->setHtml(tr("<h2>%1</h2><p><b>Owner:</b> %2<br><b>Status:</b> %3</p><p>%4</p>")
                           .arg(tr(project->name).toHtmlEscaped(),
                                QString::fromUtf8(project->owner).toHtmlEscaped(),
                                tr(project->status).toHtmlEscaped(),
                                tr(project->summary).toHtmlEscaped()));
}

}  // namespace Kestrel
