#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <stdexcept>
#include <vector>

// Keeps a window's layout proportional to its size. InitializeResizer records the bounds and
// font size of every control once; each ResizeAll recomputes them from that record and the
// ratio of the owner's present outer size to its size then, so resizing never drifts and the
// snapshot size gives the design layout back exactly.
//
// The owner's controls are its named widgets, reached through the widgets that hold designed
// controls (plain widgets and frames, group boxes, tab and stacked pages, scroll areas,
// splitters, main windows). Unnamed and "qt_" widgets are not recorded, but what they hold
// is; the parts of other controls (a navigator's buttons) and windows of their own (menus,
// dialogs) are not reached.

class EResizerException : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// (sender, the control just handled or none, height ratio, width ratio)
using TPostResizeEvent =
    std::function<void(QObject *sender, QWidget *comp, double heightRatio, double widthRatio)>;

// One control's snapshot.
class TSingleResizer
{
public:
    TSingleResizer(QWidget *control, QWidget *parentControl, bool resizeFonts, int minFontSize,
                   int maxFontSize);

    void ResizeControl(double curHeight, double curWidth, double heightRatio, double widthRatio);
    // The snapshot's bounds at the given size, every dimension scaled whatever the flags;
    // the snapshot's own bounds at the snapshot size.
    QRect scaledBounds(double curHeight, double curWidth, double heightRatio,
                       double widthRatio) const;

    // A control that is destroyed leaves its record behind, skipped from then on.
    QPointer<QWidget> Control;
    bool ResizeHeight = true;
    bool ResizeLeft = true;
    bool ResizeTop = true;
    bool ResizeWidth = true;
    bool ResizeFonts = false;
    int MinFontSize = 0;
    int MaxFontSize = 0;
    bool HasFont = false;
    int OrigHeight = 0;
    int OrigParentHeight = 0;
    int OrigLeft = 0;
    int OrigTop = 0;
    int OrigWidth = 0;
    int OrigParentWidth = 0;
    // In the font's own unit, points or else pixels; fractional point sizes are kept so the
    // snapshot size restores them exactly.
    double OrigFontSize = 0;
    QWidget *ParentControl = nullptr;
};

class TFormResizer : public QObject
{
    Q_OBJECT
public:
    // The owner is the window or panel whose controls are scaled; it also owns the resizer.
    explicit TFormResizer(QObject *owner);
    ~TFormResizer() override;

    // The font settings are copied into each record at the snapshot; later changes do not
    // reach it.
    bool ResizeFonts = false;
    int MinFontSize = 8;
    int MaxFontSize = 48;
    bool EnforceMinSize = false;
    TPostResizeEvent OnPostResize;

    virtual void DoPostResize(QObject *sender, QWidget *comp, double heightRatio,
                              double widthRatio);
    // Takes the snapshot; only the first call does anything.
    virtual void InitializeResizer();
    // Ignored before the snapshot, which alone gives the ratios a base.
    virtual void ResizeAll();

    // Where the control's snapshot box lies at the owner's present size: the place a label
    // that sizes itself to its text is anchored to. Null for a control not recorded.
    QRect scaledBounds(const QWidget *control) const;

    int OrigHeight() const { return m_origHeight; }
    int OrigWidth() const { return m_origWidth; }
    const std::vector<TSingleResizer> &Resizers() const { return m_resizers; }
    bool Initialized() const { return m_initialized; }

private:
    void addLateFrame();
    // (current height, current width, height ratio, width ratio) of the owner now.
    std::array<double, 4> currentRatios() const;

    QWidget *m_owner;
    int m_origHeight = 0;
    int m_origWidth = 0;
    std::vector<TSingleResizer> m_resizers;
    bool m_initialized = false;
    // A window that has not been shown has no frame yet, so its snapshot holds only the
    // client size; the frame is added once the window shows one.
    bool m_frameAwaited = false;
};
