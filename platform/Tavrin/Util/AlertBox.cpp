#include "Tavrin/Util/AlertBox.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QSpacerItem>
#include <QUrl>

#include <mutex>
#include <vector>

namespace Tavrin {
namespace Util {

namespace {

std::mutex g_iconMutex;
QString g_applicationIcon;

QMessageBox::Icon IconFor(int level)
{
    switch (level) {
        case AlertBox::Information:
            return QMessageBox::Information;
        case AlertBox::Warning:
            return QMessageBox::Warning;
        case AlertBox::Critical:
            return QMessageBox::Critical;
        case AlertBox::Question:
            return QMessageBox::Question;
        default:
            return QMessageBox::NoIcon;
    }
}

// Our own type, so the spacer can be found again in a layout full of QMessageBox's spacers.
class WidthSpacer : public QSpacerItem
{
public:
    explicit WidthSpacer(int width) : QSpacerItem(width, 0, QSizePolicy::Minimum) {}
    void SetWidth(int width) { changeSize(width, 0, QSizePolicy::Minimum); }
};

WidthSpacer* FindWidthSpacer(QGridLayout* grid)
{
    for (int i = 0; i < grid->count(); ++i) {
        if (auto* spacer = dynamic_cast<WidthSpacer*>(grid->itemAt(i))) {
            return spacer;
        }
    }
    return nullptr;
}

// Moves everything at or below `row` one row down (QGridLayout cannot insert rows).
void InsertGridRow(QGridLayout* grid, int row)
{
    struct Placed
    {
        QLayoutItem* item;
        int row, column, rowSpan, columnSpan;
    };
    std::vector<Placed> placed;
    while (grid->count() > 0) {
        Placed p{nullptr, 0, 0, 0, 0};
        grid->getItemPosition(0, &p.row, &p.column, &p.rowSpan, &p.columnSpan);
        p.item = grid->takeAt(0);
        placed.push_back(p);
    }
    for (Placed& p : placed) {
        if (p.row >= row) {
            ++p.row;
        } else if (p.row + p.rowSpan > row) {
            ++p.rowSpan;
        }
        grid->addItem(p.item, p.row, p.column, p.rowSpan, p.columnSpan, p.item->alignment());
    }
}

// The grid item that holds the widget, itself or in a row of its own (a subclass may put
// more beside the buttons); -1 when none does.
int GridIndexHolding(QGridLayout* grid, QWidget* widget)
{
    for (int i = 0; i < grid->count(); ++i) {
        QLayoutItem* item = grid->itemAt(i);
        if (item->widget() == widget || (item->layout() && item->layout()->indexOf(widget) >= 0)) {
            return i;
        }
    }
    return -1;
}

}  // namespace

AlertBox::AlertBox(Level level, const QString& title, const QString& text,
                   QFlags<QMessageBox::StandardButton> buttons, QWidget* parent,
                   QFlags<Qt::WindowType> flags)
    : AlertBox(static_cast<int>(level), title, text, buttons, parent, flags)
{
}

AlertBox::AlertBox(int level, const QString& title, const QString& text,
                   QFlags<QMessageBox::StandardButton> buttons, QWidget* parent,
                   QFlags<Qt::WindowType> flags)
    : QMessageBox(IconFor(level), title, text, buttons, parent, flags)
{
    const QString icon = GetApplicationIcon();
    if (!icon.isEmpty()) {
        setWindowIcon(QIcon(icon));
    }
    // Only real presses (and Escape) count; closing the window reports no button.
    connect(this, &QMessageBox::buttonClicked, this,
            [this](QAbstractButton* button) { m_pressed = standardButton(button); });
}

QMessageBox::StandardButton AlertBox::Exec()
{
    m_pressed = QMessageBox::NoButton;
    const QPointer<AlertBox> alive(this);
    exec();
    return alive ? m_pressed : QMessageBox::NoButton;
}

void AlertBox::SetWidth(int pixels)
{
    m_width = pixels > 0 ? pixels : 0;
    PlaceWidthSpacer();
}

void AlertBox::SetLearnMoreLink(const QString& url)
{
    m_learnMoreUrl = url;
    if (url.isEmpty()) {
        delete m_learnMoreLabel;
        m_learnMoreLabel = nullptr;
        return;
    }
    if (!m_learnMoreLabel) {
        m_learnMoreLabel = new QLabel(this);
        m_learnMoreLabel->setObjectName(QStringLiteral("tavrin_alertbox_learnmore"));
        m_learnMoreLabel->setTextFormat(Qt::RichText);
        m_learnMoreLabel->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                                  Qt::LinksAccessibleByKeyboard);
        connect(m_learnMoreLabel, &QLabel::linkActivated, this, &AlertBox::OnLearnMoreActivated);
    }
    m_learnMoreLabel->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                                  .arg(url.toHtmlEscaped(), tr("Learn more").toHtmlEscaped()));
    PlaceLearnMoreLink();
}

void AlertBox::SetApplicationIcon(const QString& path)
{
    std::lock_guard<std::mutex> lock(g_iconMutex);
    g_applicationIcon = path;
}

QString AlertBox::GetApplicationIcon()
{
    std::lock_guard<std::mutex> lock(g_iconMutex);
    return g_applicationIcon;
}

void AlertBox::showEvent(QShowEvent* event)
{
    // QMessageBox rebuilds its layout whenever its parts change (informative text, icon,
    // check box, ...), dropping whatever we had added to the old one.
    PlaceExtrasInLayout();
    QMessageBox::showEvent(event);
}

void AlertBox::PlaceExtrasInLayout()
{
    PlaceLearnMoreLink();
    PlaceWidthSpacer();
}

void AlertBox::PlaceWidthSpacer()
{
    auto* grid = qobject_cast<QGridLayout*>(layout());
    if (!grid) {
        return;
    }
    WidthSpacer* spacer = FindWidthSpacer(grid);
    if (m_width <= 0) {
        if (spacer) {
            grid->removeItem(spacer);
            delete spacer;
        }
    } else if (spacer) {
        spacer->SetWidth(m_width);
    } else {
        grid->addItem(new WidthSpacer(m_width), grid->rowCount(), 0, 1, grid->columnCount());
    }
    grid->invalidate();
}

void AlertBox::PlaceLearnMoreLink()
{
    auto* grid = qobject_cast<QGridLayout*>(layout());
    if (!grid || !m_learnMoreLabel || grid->indexOf(m_learnMoreLabel) >= 0) {
        return;
    }
    auto* buttons = findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly);
    const int buttonsIndex = buttons ? GridIndexHolding(grid, buttons) : -1;
    if (buttonsIndex < 0) {
        grid->addWidget(m_learnMoreLabel, grid->rowCount(), 0, 1, grid->columnCount());
        return;
    }
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(buttonsIndex, &row, &column, &rowSpan, &columnSpan);
    InsertGridRow(grid, row);
    // Under the message text, which sits right of the icon when there is one.
    int textColumn = 0;
    const int textIndex = grid->indexOf(findChild<QLabel*>(QStringLiteral("qt_msgbox_label")));
    if (textIndex >= 0) {
        int textRow = 0, textRowSpan = 0, textColumnSpan = 0;
        grid->getItemPosition(textIndex, &textRow, &textColumn, &textRowSpan, &textColumnSpan);
    }
    grid->addWidget(m_learnMoreLabel, row, textColumn, 1, grid->columnCount() - textColumn);
}

void AlertBox::OnLearnMoreActivated()
{
    QDesktopServices::openUrl(QUrl(m_learnMoreUrl));
}

}  // namespace Util
}  // namespace Tavrin
