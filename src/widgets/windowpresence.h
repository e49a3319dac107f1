#pragma once

#include <QFont>

class QWidget;

// How the main window presents itself as the program to the desktop. Qt has no hidden
// application window that owns the task-bar entry or takes minimise and restore: the main
// window does both already, as long as it stays a normal top-level window. What is left is
// its font, the hand-off of an activation to an open modal window, and bringing the program
// to the front for a second start.
namespace WindowPresence {

// The desktop's standard interface font, standing in for the icon-title font.
QFont SystemFont();
// Gives the window the desktop's font, replacing the designed one whole; controls that take
// their font from the window follow, those with a font of their own keep it.
void ApplySystemFont(QWidget &window);
// The main window alone stands for the program: a normal top-level window (never a tool
// window) with its own task-bar entry, and an activation of it while a modal window of the
// program is open goes on to that modal window.
void HideApplicationButton(QWidget &mainWindow);
// Restores the main window when minimised and puts it in front; an open modal window of the
// program comes in front of it and takes the activation.
void BringToFront(QWidget &mainWindow);

} // namespace WindowPresence
