// Feeds arbitrary bytes to the "FormShape" reader and the region builder. Whatever region a
// block gives must survive being written out as rectangles and read back.

#include "formshaper.h"

#include <QBuffer>
#include <QRegion>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer stream;
    stream.setData(bytes);
    stream.open(QIODevice::ReadOnly);
    TFormShaper shaper;
    shaper.ReadShape(stream);

    for (const QByteArray &block : {shaper.ShapeData(), bytes}) {
        const std::optional<QRegion> region = TFormShaper::BuildRegion(block);
        if (!region)
            continue;
        QList<QRect> rects;
        for (const QRect &rect : *region)
            rects.append(rect);
        // A payload is the 4-byte length and then the region block.
        const QByteArray payload = TFormShaper::Payload(rects);
        const std::optional<QRegion> again = TFormShaper::BuildRegion(payload.mid(4));
        if (!again || *again != *region)
            __builtin_trap();
    }
    return 0;
}
