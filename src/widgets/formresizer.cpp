#include "formresizer.h"

#include <QDockWidget>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMovie>
#include <QPicture>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolBox>

#include <algorithm>
#include <cmath>
#include <limits>
#include <typeinfo>

using namespace Qt::Literals::StringLiterals;

namespace {

// Looked up by name, as a label class may or may not have it.
constexpr char kAutoSize[] = "AutoSize";

QWidget *ownerWidget(QObject *owner)
{
    if (!owner)
        throw EResizerException("TFormResizer created without an owner");
    auto *widget = qobject_cast<QWidget *>(owner);
    if (!widget)
        throw EResizerException("TFormResizer owner must be a panel or form");
    return widget;
}

// The frame is part of a window's size; for a panel the two are the same.
QSize outerSize(const QWidget *widget)
{
    return widget->frameGeometry().size();
}

// An exact half goes to the even neighbour (12.5 gives 12), whatever the rounding mode.
int roundHalfEven(double value)
{
    double rounded = std::round(value);
    if (std::abs(value - std::trunc(value)) == 0.5)
        rounded = 2.0 * std::round(value / 2.0);
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    return int(std::clamp(rounded, lowest, highest));
}

// A QLabel that shows a picture stands in for an image control, which is no label and
// scales its width.
bool isLabel(const QWidget *widget)
{
    const auto *label = qobject_cast<const QLabel *>(widget);
    return label && label->pixmap().isNull() && label->picture().isNull() && !label->movie();
}

bool inLayout(const QLayout *layout, const QWidget *widget)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (item->widget() == widget)
            return true;
        if (const QLayout *inner = item->layout(); inner && inLayout(inner, widget))
            return true;
    }
    return false;
}

// Qt has no client alignment. Its counterpart is a widget whose parent sizes it to its own
// area: one placed by a layout (a main window's central widget, menu and status bar, the
// pages of a tab widget, anything in a layout), a splitter's pane, and a scroll area's
// contents, whose position is the scroll offset. Read at each resize, as an alignment is.
bool fillsParent(const QWidget *widget)
{
    const QWidget *parent = widget->parentWidget();
    if (!parent)
        return false;
    if (const QLayout *layout = parent->layout();
        layout && (layout->menuBar() == widget || inLayout(layout, widget)))
        return true;
    if (qobject_cast<const QSplitter *>(parent))
        return true;
    const auto *area = qobject_cast<const QScrollArea *>(parent->parentWidget());
    return area && area->widget() == widget;
}

bool isDesignedControl(const QWidget *widget)
{
    const QString name = widget->objectName();
    return !name.isEmpty() && !name.startsWith(u"qt_"_s);
}

// Only these hold controls placed by the window's designer. The exact type is compared
// because a control built on QWidget or QFrame may lack Q_OBJECT; its named parts (the
// navigator's buttons) are its own, as are a tab bar's scroll buttons.
bool holdsDesignedControls(const QWidget *widget)
{
    const std::type_info &type = typeid(*widget);
    return type == typeid(QWidget) || type == typeid(QFrame) ||
           qobject_cast<const QGroupBox *>(widget) || qobject_cast<const QTabWidget *>(widget) ||
           qobject_cast<const QStackedWidget *>(widget) || qobject_cast<const QToolBox *>(widget) ||
           qobject_cast<const QScrollArea *>(widget) || qobject_cast<const QSplitter *>(widget) ||
           qobject_cast<const QMainWindow *>(widget) || qobject_cast<const QDockWidget *>(widget);
}

// Depth first in child order, so a container comes before its controls, as the
// component order of a designed window has it. Menus and dialogs are windows of their own.
void collectControls(const QWidget *container, std::vector<QWidget *> &controls)
{
    for (QObject *child : container->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget || widget->isWindow())
            continue;
        if (isDesignedControl(widget))
            controls.push_back(widget);
        if (holdsDesignedControls(widget))
            collectControls(widget, controls);
    }
}

double fontSize(const QFont &font)
{
    return font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize();
}

// Set on the control itself, so the size stays its own whatever its parent's font does.
void setFontSize(QWidget *control, double size)
{
    if (size <= 0)
        return;
    QFont font = control->font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(size);
    else
        font.setPixelSize(int(size));
    control->setFont(font);
}

} // namespace

TSingleResizer::TSingleResizer(QWidget *control, QWidget *parentControl, bool resizeFonts,
                               int minFontSize, int maxFontSize)
{
    if (!control)
        throw EResizerException("TSingleResizer created without a component link");
    if (!parentControl)
        throw EResizerException("TSingleResizer created without a parent form link");
    Control = control;
    ParentControl = parentControl;
    OrigHeight = control->height();
    OrigLeft = control->x();
    OrigTop = control->y();
    OrigWidth = control->width();
    // Every widget has a font property, picture labels too; the lookup keeps the rule.
    HasFont = control->metaObject()->indexOfProperty("font") >= 0;
    OrigFontSize = HasFont ? fontSize(control->font()) : 0;
    const QSize parentSize = outerSize(parentControl);
    OrigParentHeight = parentSize.height();
    OrigParentWidth = parentSize.width();
    ResizeWidth = !isLabel(control);
    ResizeFonts = resizeFonts;
    MinFontSize = minFontSize;
    MaxFontSize = maxFontSize;
}

void TSingleResizer::ResizeControl(double curHeight, double curWidth, double heightRatio,
                                   double widthRatio)
{
    QWidget *control = Control.data();
    if (!control || fillsParent(control))
        return;
    int left = control->x();
    int top = control->y();
    int width = control->width();
    int height = control->height();
    const bool scaleFont = HasFont && ResizeFonts;

    const QRect scaled = scaledBounds(curHeight, curWidth, heightRatio, widthRatio);
    if (ResizeHeight)
        height = scaled.height();
    if (ResizeLeft)
        left = scaled.x();
    if (ResizeTop)
        top = scaled.y();
    if (ResizeWidth)
        width = scaled.width();

    if (curHeight == OrigParentHeight && curWidth == OrigParentWidth) {
        if (scaleFont)
            setFontSize(control, OrigFontSize);
        control->setGeometry(left, top, width, height);
        return;
    }

    if (scaleFont) {
        int size = roundHalfEven(OrigFontSize * heightRatio);
        if (size > MaxFontSize)
            size = MaxFontSize;
        if (size < MinFontSize)
            size = MinFontSize;
        setFontSize(control, size);
    }
    // A label without the property does not size itself.
    const bool label = isLabel(control);
    const QVariant autoSize = label ? control->property(kAutoSize) : QVariant();
    const bool sizesItself = autoSize.isValid();
    const bool wasAutoSize = autoSize.toBool();
    if (sizesItself)
        control->setProperty(kAutoSize, false);
    control->setGeometry(left, top, width, height);
    // Switching it on makes an auto-sizing label fit its text in the new font, at the new
    // place; the remembered value then goes back.
    if (sizesItself) {
        control->setProperty(kAutoSize, true);
        control->update();
        control->setProperty(kAutoSize, wasAutoSize);
    }
}

QRect TSingleResizer::scaledBounds(double curHeight, double curWidth, double heightRatio,
                                   double widthRatio) const
{
    if (curHeight == OrigParentHeight && curWidth == OrigParentWidth)
        return QRect(OrigLeft, OrigTop, OrigWidth, OrigHeight);
    return QRect(roundHalfEven(OrigLeft * widthRatio), roundHalfEven(OrigTop * heightRatio),
                 roundHalfEven(OrigWidth * widthRatio), roundHalfEven(OrigHeight * heightRatio));
}

TFormResizer::TFormResizer(QObject *owner)
    : QObject(ownerWidget(owner)), m_owner(static_cast<QWidget *>(parent()))
{}

TFormResizer::~TFormResizer() = default;

void TFormResizer::DoPostResize(QObject *sender, QWidget *comp, double heightRatio,
                                double widthRatio)
{
    if (OnPostResize)
        OnPostResize(sender, comp, heightRatio, widthRatio);
}

void TFormResizer::InitializeResizer()
{
    if (m_initialized)
        return;
    m_initialized = true;
    const QSize size = outerSize(m_owner);
    m_origHeight = size.height();
    m_origWidth = size.width();
    m_frameAwaited = m_owner->isWindow() && size == m_owner->size();
    std::vector<QWidget *> controls;
    collectControls(m_owner, controls);
    m_resizers.reserve(controls.size());
    for (QWidget *control : controls)
        m_resizers.emplace_back(control, m_owner, ResizeFonts, MinFontSize, MaxFontSize);
}

void TFormResizer::ResizeAll()
{
    // Also covers an owner that had no size at the snapshot: its ratios cannot be formed.
    if (!m_initialized || m_origHeight <= 0 || m_origWidth <= 0)
        return;
    addLateFrame();
    if (EnforceMinSize) {
        // The owner is resized by its client part; the frame stays as it is.
        const QSize before = outerSize(m_owner);
        if (before.height() < m_origHeight)
            m_owner->resize(m_owner->width(), m_owner->height() + m_origHeight - before.height());
        const QSize after = outerSize(m_owner);
        if (after.width() < m_origWidth)
            m_owner->resize(m_owner->width() + m_origWidth - after.width(), m_owner->height());
    }
    const auto [curHeight, curWidth, heightRatio, widthRatio] = currentRatios();
    for (TSingleResizer &record : m_resizers) {
        record.ResizeControl(curHeight, curWidth, heightRatio, widthRatio);
        DoPostResize(this, record.Control.data(), heightRatio, widthRatio);
    }
}

std::array<double, 4> TFormResizer::currentRatios() const
{
    const QSize size = outerSize(m_owner);
    const double curHeight = size.height();
    const double curWidth = size.width();
    return {curHeight, curWidth, curHeight / m_origHeight, curWidth / m_origWidth};
}

QRect TFormResizer::scaledBounds(const QWidget *control) const
{
    if (!m_initialized || m_origHeight <= 0 || m_origWidth <= 0)
        return {};
    const auto [curHeight, curWidth, heightRatio, widthRatio] = currentRatios();
    for (const TSingleResizer &record : m_resizers)
        if (record.Control == control)
            return record.scaledBounds(curHeight, curWidth, heightRatio, widthRatio);
    return {};
}

void TFormResizer::addLateFrame()
{
    if (!m_frameAwaited)
        return;
    const QSize frame = outerSize(m_owner) - m_owner->size();
    if (frame.isNull())
        return;
    m_frameAwaited = false;
    m_origHeight += frame.height();
    m_origWidth += frame.width();
    for (TSingleResizer &record : m_resizers) {
        record.OrigParentHeight += frame.height();
        record.OrigParentWidth += frame.width();
    }
}
