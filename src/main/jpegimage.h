#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <stdexcept>

// A picture that cannot be read or decoded. The message names the file where one is known.
class EJpegError : public std::runtime_error
{
public:
    explicit EJpegError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}
    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

namespace JpegImage {

// Decoded pictures larger than this are refused before any pixel is decoded.
inline constexpr qint64 kMaxImageBytes = 256LL * 1024 * 1024;

// Decodes a baseline or progressive JPEG, greyscale, RGB/YCbCr or CMYK/YCCK, into a QImage
// (Grayscale8 or RGB888). Throws EJpegError with the decoder's own message.
QImage decode(const QByteArray &data, qint64 maxImageBytes = kMaxImageBytes);

// Reads and decodes a file; the message of any error starts with the file's name.
QImage load(const QString &path);

} // namespace JpegImage
