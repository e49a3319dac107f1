#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <optional>

class QIODevice;

// Cuts a window to a stored region. The shape is the window's "FormShape" value: a 4-byte
// little-endian length, then a Win32 RGNDATA block (a 32-byte header and rectangles of four
// 32-bit integers, right and bottom exclusive). Applied as the widget's mask, so only the
// region's area is drawn and takes the mouse. The target is ControlToShape, else the owner.
class TFormShaper : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(QWidget *ControlToShape READ ControlToShape WRITE SetControlToShape)
    Q_PROPERTY(QByteArray Shape READ Shape STORED false)

public:
    explicit TFormShaper(QObject *owner = nullptr);
    ~TFormShaper() override;

    bool Active() const { return m_active; }
    virtual void SetActive(bool active);
    QWidget *ControlToShape() const { return m_controlToShape; }
    virtual void SetControlToShape(QWidget *control);

    // The shape in the "FormShape" format; empty when there is none.
    QByteArray Shape() const;
    // Loads the shape from the stream's current position, as ReadShape does.
    void SetShape(QIODevice &stream);

    // Writes nothing at all when there is no shape.
    void WriteShape(QIODevice &stream) const;
    // An empty stream clears the shape. The length is not checked against the bytes that
    // follow: missing ones read as zero; a length above 16 MB reads as no shape. Reading does
    // not apply the shape.
    void ReadShape(QIODevice &stream);
    // Takes the region off the target and forgets the shape; Active stays as it is.
    void ClearShape();

    qint32 ShapeSize() const { return qint32(m_shapeData.size()); }
    const QByteArray &ShapeData() const { return m_shapeData; }
    // The region last built; it stays with the window it was set on.
    const QRegion &Region() const { return m_region; }

    // The "FormShape" value of rectangles in window coordinates, ordered by top, then left.
    static QByteArray Payload(const QList<QRect> &rects);
    // The region of an RGNDATA block, as the window system builds it; none for a block it
    // refuses.
    static std::optional<QRegion> BuildRegion(const QByteArray &regionData);

private:
    QWidget *target() const;
    void ApplyShape();
    static void removeRegion(QWidget *target);

    bool m_active = false;
    QRegion m_region;
    QByteArray m_shapeData;
    QPointer<QWidget> m_controlToShape;
    QMetaObject::Connection m_controlDestroyed;
};
