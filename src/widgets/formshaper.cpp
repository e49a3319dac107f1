#include "formshaper.h"

#include <QBuffer>
#include <QIODevice>
#include <QtEndian>

namespace {

// A million rectangles.
constexpr qint32 kMaxShapeBytes = 16 * 1024 * 1024;
constexpr qint32 kMaxCoordinate = 1 << 20;

constexpr qint32 kHeaderSize = 32;
constexpr qint32 kRectanglesType = 1;
constexpr qint32 kRectSize = 16;

qint32 int32At(const QByteArray &data, qsizetype offset)
{
    return qFromLittleEndian<qint32>(data.constData() + offset);
}

void appendInt32(QByteArray &data, qint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    data.append(bytes, 4);
}

} // namespace

TFormShaper::TFormShaper(QObject *owner) : QObject(owner) {}

TFormShaper::~TFormShaper() = default;

QWidget *TFormShaper::target() const
{
    if (m_controlToShape)
        return m_controlToShape;
    return qobject_cast<QWidget *>(parent());
}

void TFormShaper::removeRegion(QWidget *target)
{
    target->clearMask();
    target->update();
}

void TFormShaper::SetActive(bool active)
{
    QWidget *shaped = target();
    if (!shaped)
        return;
    if (active) {
        ApplyShape();
        return;
    }
    removeRegion(shaped);
    m_active = false;
}

void TFormShaper::ApplyShape()
{
    if (m_shapeData.isEmpty() || m_active)
        return;
    m_active = true;
    const std::optional<QRegion> region = BuildRegion(m_shapeData);
    // A region the window system would refuse leaves the window as it is.
    if (!region || region->isEmpty())
        return;
    m_region = *region;
    QWidget *shaped = target();
    shaped->setMask(m_region);
    shaped->update();
}

void TFormShaper::SetControlToShape(QWidget *control)
{
    if (m_active)
        SetActive(false);
    disconnect(m_controlDestroyed);
    m_controlToShape = control;
    if (!control)
        return;
    // The window is going away: no region to take off it.
    m_controlDestroyed = connect(control, &QObject::destroyed, this, [this] {
        m_controlToShape = nullptr;
        m_active = false;
    });
}

QByteArray TFormShaper::Shape() const
{
    QByteArray payload;
    QBuffer buffer(&payload);
    buffer.open(QIODevice::WriteOnly);
    WriteShape(buffer);
    return payload;
}

void TFormShaper::SetShape(QIODevice &stream)
{
    ReadShape(stream);
}

void TFormShaper::WriteShape(QIODevice &stream) const
{
    if (m_shapeData.isEmpty())
        return;
    char length[4];
    qToLittleEndian(ShapeSize(), length);
    stream.write(length, 4);
    stream.write(m_shapeData);
}

void TFormShaper::ReadShape(QIODevice &stream)
{
    if (stream.size() == 0) {
        ClearShape();
        return;
    }
    m_shapeData.clear();
    char length[4] = {};
    stream.read(length, 4);
    const qint32 size = qFromLittleEndian<qint32>(length);
    // A damaged length must not ask for gigabytes: no window outline comes near this.
    if (size <= 0 || size > kMaxShapeBytes)
        return;
    m_shapeData = QByteArray(size, '\0');
    stream.read(m_shapeData.data(), size);
}

void TFormShaper::ClearShape()
{
    if (QWidget *shaped = target())
        removeRegion(shaped);
    m_shapeData.clear();
    m_region = QRegion();
}

QByteArray TFormShaper::Payload(const QList<QRect> &rects)
{
    QRect bounds;
    for (const QRect &rect : rects)
        bounds |= rect;
    const qint32 rectBytes = qint32(rects.size()) * kRectSize;
    QByteArray payload;
    appendInt32(payload, kHeaderSize + rectBytes);
    for (qint32 value : {kHeaderSize, kRectanglesType, qint32(rects.size()), rectBytes})
        appendInt32(payload, value);
    for (const QRect &rect : QList<QRect>{bounds} + rects) {
        appendInt32(payload, rect.left());
        appendInt32(payload, rect.top());
        appendInt32(payload, rect.left() + rect.width());
        appendInt32(payload, rect.top() + rect.height());
    }
    return payload;
}

std::optional<QRegion> TFormShaper::BuildRegion(const QByteArray &regionData)
{
    // The checks the window system makes: a whole header of the rectangles type, and room
    // for the rectangles it counts after it. The bounding rectangle is not used.
    if (regionData.size() < kHeaderSize)
        return std::nullopt;
    const qint64 headerSize = quint32(int32At(regionData, 0));
    const qint64 count = quint32(int32At(regionData, 8));
    if (headerSize < kHeaderSize || int32At(regionData, 4) != kRectanglesType ||
        regionData.size() < headerSize + count * kRectSize)
        return std::nullopt;
    QRegion region;
    for (qint64 i = 0; i < count; ++i) {
        const qsizetype at = qsizetype(headerSize + i * kRectSize);
        const qint32 left = int32At(regionData, at);
        const qint32 top = int32At(regionData, at + 4);
        const qint32 right = int32At(regionData, at + 8);
        const qint32 bottom = int32At(regionData, at + 12);
        // Coordinates far beyond any screen would overflow Qt's rectangle arithmetic.
        const auto onScreen = [](qint32 value) {
            return value >= -kMaxCoordinate && value <= kMaxCoordinate;
        };
        if (left < right && top < bottom && onScreen(left) && onScreen(top) && onScreen(right) &&
            onScreen(bottom))
            region += QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    }
    return region;
}
