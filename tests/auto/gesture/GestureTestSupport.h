#pragma once

#include <Tavrin/App/Application/Gesture/Consumer.h>
#include <Tavrin/Win/GestureInjection.h>
#include <Tavrin/Win/WinGesture.h>

#include <QObject>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace Tavrin {
namespace Test {

// Every gesture test leaves the layer's handle table as it found it: empty.
class GestureTest : public ::testing::Test
{
protected:
    void TearDown() override { EXPECT_EQ(Win::OpenGestureInfoHandleCount(), 0); }
};

// A consumer that answers what it is told and records every step it gets.
class RecordingConsumer : public QObject, public App::Gesture::Consumer
{
public:
    using Gesture = App::Gesture;
    explicit RecordingConsumer(QObject* parent = nullptr) : QObject(parent) {}

    // What WantGesture answers: zoom, pan, rotate, two-finger tap, press-and-tap.
    int answers[5] = {Gesture::All, Gesture::All, Gesture::All, Gesture::All, Gesture::All};

    std::vector<Gesture::Zoom> zooms;
    std::vector<Gesture::Pan> pans;
    std::vector<Gesture::Rotate> rotates;
    std::vector<Gesture::Tap> taps;
    std::vector<Gesture::PressAndTap> pressAndTaps;
    std::vector<QPoint> askedAt;  // pos of every WantGesture(Zoom), the first question

    void OnGesture(const Gesture::PressAndTap& g) override { pressAndTaps.push_back(g); }
    void OnGesture(const Gesture::Tap& g) override { taps.push_back(g); }
    void OnGesture(const Gesture::Rotate& g) override { rotates.push_back(g); }
    void OnGesture(const Gesture::Zoom& g) override { zooms.push_back(g); }
    void OnGesture(const Gesture::Pan& g) override { pans.push_back(g); }
    int WantGesture(const Gesture::PressAndTap&) override { return answers[4]; }
    int WantGesture(const Gesture::Tap&) override { return answers[3]; }
    int WantGesture(const Gesture::Rotate&) override { return answers[2]; }
    int WantGesture(const Gesture::Zoom& g) override
    {
        askedAt.push_back(g.pos);
        return answers[0];
    }
    int WantGesture(const Gesture::Pan&) override { return answers[1]; }
};

inline Win::HWND HandleOf(QWidget* widget)
{
    return Win::HandleOfWindow(widget->window()->windowHandle());
}

// Shows a top-level widget and waits until it can be touched.
inline void ShowAndWait(QWidget* window)
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
}

}  // namespace Test
}  // namespace Tavrin
