#include "Tavrin/App/Application/StartupPhases_p.h"

#include "Tavrin/App/Application/Application.h"
#include "Tavrin/App/Application/StartupProfile.h"

#include <QEvent>
#include <QWidget>

namespace Tavrin {
namespace App {

namespace {

const char kFirstWindow[] = "first shown window";

bool IsMainKindOfWindow(QObject* object)
{
    const auto* widget = qobject_cast<QWidget*>(object);
    return widget != nullptr && widget->isWindow() &&
           (widget->windowType() == Qt::Window || widget->windowType() == Qt::Dialog);
}

// Looks at every event of the application until the first window shows, then leaves.
class FirstWindowWatch : public QObject
{
public:
    explicit FirstWindowWatch(Application& application) : QObject(&application)
    {
        connect(&application, &Application::ApplicationStarted, this,
                &FirstWindowWatch::OnStarted);
        application.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && IsMainKindOfWindow(watched)) {
            OnWindowShown();
        }
        return false;
    }

private:
    void OnStarted()
    {
        StartupProfile& profile = StartupProfile::Instance();
        profile.End("OnStart");
        if (m_shown) {
            profile.Add(kFirstWindow, StartupProfile::Clock::duration::zero());
            Done();
            return;
        }
        profile.Log();
        profile.Begin(kFirstWindow);
        m_started = true;
    }

    void OnWindowShown()
    {
        m_shown = true;
        parent()->removeEventFilter(this);
        if (m_started) {
            StartupProfile::Instance().End(kFirstWindow);
            Done();
        }
    }

    void Done()
    {
        StartupProfile& profile = StartupProfile::Instance();
        profile.Log();
        profile.Finish();
        deleteLater();
    }

    bool m_started = false;
    bool m_shown = false;
};

}  // namespace

void WatchStartupPhases(Application& application)
{
    if (StartupProfile::IsSwitchedOff()) {
        return;
    }
    new FirstWindowWatch(application);
}

}  // namespace App
}  // namespace Tavrin
