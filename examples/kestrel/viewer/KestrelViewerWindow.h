#pragma once

#include <QWidget>

class QLabel;

namespace Kestrel {

// The viewer's one window. Closing it hands the keyboard focus back to the program that
// started the viewer, when one did.
class KestrelViewerWindow : public QWidget
{
    Q_OBJECT

public:
    explicit KestrelViewerWindow(QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_text = nullptr;
};

}  // namespace Kestrel
