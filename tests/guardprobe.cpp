// Stands in for the program in the single-instance guard's tests: a main window that owns
// the guard, under the title given as the first argument. When another copy runs it prints
// "second" and ends without showing a window; otherwise it shows the window (minimised with
// the argument "minimized"), prints "first", and prints "front minimized=0|1" each time a
// later start brings it forward.

#include "pbjustone.h"

#include <QApplication>
#include <QMainWindow>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

void report(const char *line)
{
    std::puts(line);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QApplication::setApplicationName(arguments.value(1));
    QApplication::setApplicationDisplayName(arguments.value(1));
    QMainWindow window;
    auto *guard = new TPBJustOne(&window);
    if (guard->AnotherCopyRuns()) {
        report("second");
        return 0;
    }
    QObject::connect(guard, &TPBJustOne::BroughtToFront, &window, [&window] {
        report(window.isMinimized() ? "front minimized=1" : "front minimized=0");
    });
    if (arguments.contains(u"minimized"_s))
        window.showMinimized();
    else
        window.show();
    report("first");
    return application.exec();
}
