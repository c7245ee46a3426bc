#include "TestSupport.h"

#include <Tavrin/Util/AlertBox.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

using Tavrin::Util::AlertBox;

namespace {

// Receives what QDesktopServices::openUrl would have opened in a browser.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened << url; }
};

// Runs Exec() and, once the modal box shows, answers it the way a user would. Rejects the box
// after a while, so that a broken test cannot hang.
QMessageBox::StandardButton ExecAnswering(AlertBox& box,
                                          const std::function<void(AlertBox&)>& answer)
{
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&poll, answer] {
        if (auto* shown = qobject_cast<AlertBox*>(QApplication::activeModalWidget())) {
            poll.stop();
            answer(*shown);
        }
    });
    poll.start(10);
    QTimer::singleShot(10000, &box, [&box] { box.done(QDialog::Rejected); });
    return box.Exec();
}

std::function<void(AlertBox&)> Click(QMessageBox::StandardButton which)
{
    return [which](AlertBox& box) { box.button(which)->click(); };
}

int GridRow(AlertBox& box, QWidget* widget)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    int row = -1, column, rowSpan, columnSpan;
    if (grid && grid->indexOf(widget) >= 0) {
        grid->getItemPosition(grid->indexOf(widget), &row, &column, &rowSpan, &columnSpan);
    }
    return row;
}

// Shows the box afresh, so that QMessageBox settles its layout and size.
void Reshow(AlertBox& box)
{
    box.hide();
    box.show();
    QApplication::processEvents();
}

}  // namespace

TEST(AlertBox, LevelPicksTheIconAndTheLayoutIsAGridWithAButtonBox)
{
    AlertBox box(AlertBox::Warning, "Title", "Text", QMessageBox::Ok | QMessageBox::Cancel);
    box.SetWidth(400);
    box.SetLearnMoreLink("https://example.com/help");
    auto* buttons = box.findChild<QDialogButtonBox*>();
    ASSERT_NE(qobject_cast<QGridLayout*>(box.layout()), nullptr);
    ASSERT_NE(buttons, nullptr);
    EXPECT_GE(GridRow(box, buttons), 0);
    EXPECT_EQ(buttons->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(box.windowTitle(), "Title");

    const auto iconOf = [](auto level) { return AlertBox(level, "", "", QMessageBox::Ok).icon(); };
    EXPECT_EQ(iconOf(AlertBox::Information), QMessageBox::Information);
    EXPECT_EQ(iconOf(AlertBox::Warning), QMessageBox::Warning);
    EXPECT_EQ(iconOf(AlertBox::Critical), QMessageBox::Critical);
    EXPECT_EQ(iconOf(AlertBox::Question), QMessageBox::Question);
    EXPECT_EQ(iconOf(0), QMessageBox::Information);
    EXPECT_EQ(iconOf(1), QMessageBox::Warning);
    EXPECT_EQ(iconOf(4), QMessageBox::NoIcon);
}

TEST(AlertBox, ExecReturnsThePressedStandardButtonOrNoButton)
{
    AlertBox box(AlertBox::Question, "Q", "Continue?",
                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QPushButton* custom = box.addButton("Details", QMessageBox::AcceptRole);
    EXPECT_EQ(ExecAnswering(box, Click(QMessageBox::Yes)), QMessageBox::Yes);
    EXPECT_EQ(ExecAnswering(box, Click(QMessageBox::No)), QMessageBox::No);
    EXPECT_EQ(ExecAnswering(box, [](AlertBox& shown) { QTest::keyClick(&shown, Qt::Key_Escape); }),
              QMessageBox::Cancel);
    // Closing is no answer, and an earlier answer must not stick.
    EXPECT_EQ(ExecAnswering(box, [](AlertBox& shown) { shown.close(); }), QMessageBox::NoButton);
    EXPECT_EQ(ExecAnswering(box, [](AlertBox& shown) { shown.reject(); }), QMessageBox::NoButton);
    EXPECT_EQ(ExecAnswering(box, [custom](AlertBox&) { custom->click(); }), QMessageBox::NoButton);
}

TEST(AlertBox, ExecSurvivesTheBoxBeingDeletedWhileShown)
{
    QPointer<AlertBox> box = new AlertBox(AlertBox::Critical, "C", "Gone", QMessageBox::Ok);
    EXPECT_EQ(ExecAnswering(*box, [](AlertBox& shown) { shown.deleteLater(); }),
              QMessageBox::NoButton);
    EXPECT_TRUE(box.isNull());
}

TEST(AlertBox, WidthAndLearnMoreLinkOutliveLayoutRebuilds)
{
    AlertBox box(AlertBox::Warning, "W", "Short", QMessageBox::Ok);
    Reshow(box);
    ASSERT_LT(box.width(), 600);
    box.SetWidth(600);
    const QString url = "https://example.com/help?topic=a&lang=en";
    box.SetLearnMoreLink(url);
    // QMessageBox builds a new layout for informative text, dropping what we had added.
    box.setInformativeText("More");
    Reshow(box);
    EXPECT_GE(box.width(), 600);

    auto* link = box.findChild<QLabel*>("tavrin_alertbox_learnmore");
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->isVisible());
    EXPECT_GT(GridRow(box, link),
              GridRow(box, box.findChild<QLabel*>("qt_msgbox_informativelabel")));
    EXPECT_LT(GridRow(box, link), GridRow(box, box.findChild<QDialogButtonBox*>()));

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "Open");
    emit link->linkActivated(url);
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl(url)});

    box.SetWidth(0);
    box.SetLearnMoreLink(QString());
    Reshow(box);
    EXPECT_LT(box.width(), 600);
    EXPECT_EQ(box.findChild<QLabel*>("tavrin_alertbox_learnmore"), nullptr);
}

TEST(AlertBox, ApplicationIconAppliesToBoxesCreatedLater)
{
    const QString path = Tavrin::Test::NewTempDir("icon") + "/app.png";
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(path));

    AlertBox::SetApplicationIcon(path);
    EXPECT_EQ(AlertBox::GetApplicationIcon(), path);
    const AlertBox box(AlertBox::Information, "", "", QMessageBox::Ok);
    AlertBox::SetApplicationIcon(QString());
    EXPECT_EQ(box.windowIcon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
}

#include "tst_utilalertbox.moc"
