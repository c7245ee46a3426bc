#pragma once

#include <Tavrin/App/Application/ISplash.h>

#include <QPointer>
#include <QSplashScreen>

namespace Kestrel {

// The product's splash: a painted card with the icon, name and version. It goes away as
// soon as the window given to FinishWhenShown appears.
class KestrelSplash : public QSplashScreen, public Tavrin::App::ISplash
{
    Q_OBJECT

public:
    KestrelSplash(const QString& version, const QPixmap& icon);

    void Activate() override;
    void ShowMessage(const QString& message) override;
    void FinishWhenShown(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
};

}  // namespace Kestrel
