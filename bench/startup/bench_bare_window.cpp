// The baseline of bench_startup: the demo's main window in a plain Qt Widgets program, shown
// and quit at once from the event loop, without the library.
#include "KestrelMainWindow.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    Kestrel::KestrelMainWindow window(QStringLiteral(BARE_WINDOW_VERSION));
    QObject::connect(&window, &Kestrel::KestrelMainWindow::QuitRequested, &application,
                     &QApplication::quit);
    window.show();
    QTimer::singleShot(0, &application, &QApplication::quit);
    return application.exec();
}
