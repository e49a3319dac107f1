// libFuzzer entry for JpegImage::decode: any input must give a picture or an EJpegError.

#include "jpegimage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A lower cap than the program's, so that huge declared sizes are refused rather than
    // decoded slowly under the sanitizers; the refusal path is what matters here.
    constexpr qint64 maxImageBytes = 48LL * 1024 * 1024;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const QImage image = JpegImage::decode(bytes, maxImageBytes);
        if (image.isNull())
            __builtin_trap(); // decode returns a picture or throws
    } catch (const EJpegError &) {
    }
    return 0;
}
