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

namespace Kestrel {

namespace {

enum ProjectRole
{
    OwnerRole = Qt::UserRole,
    StatusRole,
    SummaryRole,
};

}  // namespace

KestrelMainWindow::KestrelMainWindow(const QString& version, QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(tr("Tavrin Kestrel"));
    CreateMenus();
    setCentralWidget(CreateWorkspace());
    statusBar()->addPermanentWidget(new QLabel(tr("Version %1").arg(version), this));
    statusBar()->showMessage(tr("Ready"));
    FillProjects();
    resize(900, 600);
}

void KestrelMainWindow::closeEvent(QCloseEvent* event)
{
    // The window stays until the application agrees to quit.
    event->ignore();
    emit QuitRequested();
}

void KestrelMainWindow::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    connect(file->addAction(tr("&Restart")), &QAction::triggered, this,
            &KestrelMainWindow::RestartRequested);
    QAction* quit = file->addAction(tr("&Quit"));
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &KestrelMainWindow::QuitRequested);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    connect(help->addAction(tr("About &Qt")), &QAction::triggered, qApp, &QApplication::aboutQt);
}

void KestrelMainWindow::ShowPreviousSessionCrashed(int crashedSessions)
{
    if (crashedSessions <= 0) {
        return;
    }
    auto* notice = new QLabel(
        tr("The previous session of Tavrin Kestrel ended unexpectedly (%n session(s)).", nullptr,
           crashedSessions),
        this);
    notice->setObjectName(QStringLiteral("crashNotice"));
    notice->setStyleSheet(QStringLiteral("QLabel { background: #fff3cd; padding: 2px 6px; }"));
    statusBar()->addWidget(notice);
    statusBar()->clearMessage();
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
    struct Project
    {
        QString name, owner, status, summary;
    };
    const Project projects[] = {
        {tr("Harbour survey"), tr("M. Okafor"), tr("In progress"),
         tr("Depth soundings and mooring positions for the east basin.")},
        {tr("Spring catalogue"), tr("L. Brandt"), tr("Review"),
         tr("Layouts and product photographs for the spring range.")},
        {tr("Field notes"), tr("S. Ivers"), tr("Draft"),
         tr("Observations from the upland transects, with sketches.")},
        {tr("Quarterly report"), tr("A. Chen"), tr("Done"),
         tr("Figures and commentary for the third quarter.")},
    };
    for (const Project& project : projects) {
        auto* item = new QListWidgetItem(project.name, m_projects);
        item->setData(OwnerRole, project.owner);
        item->setData(StatusRole, project.status);
        item->setData(SummaryRole, project.summary);
    }
    m_projects->setCurrentRow(0);
}

void KestrelMainWindow::ShowProject(const QListWidgetItem* item)
{
    if (!item) {
        m_details->clear();
        return;
    }
    m_details->setHtml(tr("<h2>%1</h2><p><b>Owner:</b> %2<br><b>Status:</b> %3</p><p>%4</p>")
                           .arg(item->text().toHtmlEscaped(),
                                item->data(OwnerRole).toString().toHtmlEscaped(),
                                item->data(StatusRole).toString().toHtmlEscaped(),
                                item->data(SummaryRole).toString().toHtmlEscaped()));
}

}  // namespace Kestrel
