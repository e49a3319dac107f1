#include "jpegimage.h"

#include <QFile>
#include <QFileInfo>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps
// back to decode(), which throws. Nothing with a destructor lives between the setjmp and
// the jump, so the jump skips no cleanup.
struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void errorExit(j_common_ptr info)
{
    auto *manager = reinterpret_cast<ErrorManager *>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings (a corrupt but readable file) are not written to stderr.
void quietMessage(j_common_ptr) {}

// Each progressive scan may cover the whole picture in a few bytes, so a small file of
// thousands of scans keeps the decoder busy for minutes. Real files have a few dozen at most.
constexpr int kMaxScans = 500;

void limitScans(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number <= kMaxScans)
        return;
    auto *manager = reinterpret_cast<ErrorManager *>(info->err);
    std::snprintf(manager->message, sizeof manager->message, "the picture has more than %d scans",
                  kMaxScans);
    std::longjmp(manager->jump, 1);
}

// Adobe's CMYK JPEGs store the inks inverted; plain CMYK ones do not.
inline uchar fromInk(int ink, int black, bool inverted)
{
    if (!inverted) {
        ink = 255 - ink;
        black = 255 - black;
    }
    return uchar((ink * black + 127) / 255);
}

// Runs inside the setjmp frame: only plain data here.
bool decodeInto(jpeg_decompress_struct &info, ErrorManager &errors, const QByteArray &data,
                qint64 maxImageBytes, QImage &image, bool &tooLarge)
{
    if (setjmp(errors.jump))
        return false;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    if (cmyk)
        info.out_color_space = JCS_CMYK;
    else if (info.jpeg_color_space == JCS_GRAYSCALE)
        info.out_color_space = JCS_GRAYSCALE;
    else
        info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&info);
    const qint64 width = info.output_width;
    const qint64 height = info.output_height;
    // The decoder's own buffers come on top of the picture; both count.
    qint64 pixelBytes = cmyk ? 4 + 3 : info.output_components;
    // A progressive or multi-scan file keeps every coefficient in memory until the end.
    if (jpeg_has_multiple_scans(&info))
        pixelBytes += 2 * info.num_components;
    if (width * height * pixelBytes > maxImageBytes) {
        tooLarge = true;
        return false;
    }
    jpeg_start_decompress(&info);
    const bool grey = info.out_color_space == JCS_GRAYSCALE;
    image =
        QImage(int(width), int(height), grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (image.isNull()) {
        tooLarge = true;
        jpeg_abort_decompress(&info);
        return false;
    }
    const bool inverted = info.saw_Adobe_marker;
    // The ink row comes from the decoder's own pool, which jpeg_destroy frees after a jump.
    JSAMPARRAY inks = cmyk ? (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info),
                                                       JPOOL_IMAGE, JDIMENSION(width * 4), 1)
                           : nullptr;
    while (info.output_scanline < info.output_height) {
        uchar *line = image.scanLine(int(info.output_scanline));
        JSAMPROW row = cmyk ? inks[0] : line;
        jpeg_read_scanlines(&info, &row, 1);
        if (!cmyk)
            continue;
        const uchar *ink = inks[0];
        for (qint64 x = 0; x < width; ++x, ink += 4, line += 3) {
            line[0] = fromInk(ink[0], ink[3], inverted);
            line[1] = fromInk(ink[1], ink[3], inverted);
            line[2] = fromInk(ink[2], ink[3], inverted);
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

namespace JpegImage {

QImage decode(const QByteArray &data, qint64 maxImageBytes)
{
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = errorExit;
    errors.base.output_message = quietMessage;
    jpeg_create_decompress(&info);
    jpeg_progress_mgr progress{};
    progress.progress_monitor = limitScans;
    info.progress = &progress;
    QImage image;
    bool tooLarge = false;
    const bool decoded = decodeInto(info, errors, data, maxImageBytes, image, tooLarge);
    const qint64 width = info.output_width ? info.output_width : info.image_width;
    const qint64 height = info.output_height ? info.output_height : info.image_height;
    jpeg_destroy_decompress(&info);
    if (tooLarge)
        throw EJpegError(u"the picture is too large (%1 × %2 pixels)"_s.arg(width).arg(height));
    if (!decoded)
        throw EJpegError(QString::fromLocal8Bit(errors.message));
    return image;
}

QImage load(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EJpegError(u"%1: %2"_s.arg(name, file.errorString()));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EJpegError(u"%1: %2"_s.arg(name, file.errorString()));
    try {
        return decode(data);
    } catch (const EJpegError &error) {
        throw EJpegError(u"%1: %2"_s.arg(name, error.message()));
    }
}

} // namespace JpegImage
