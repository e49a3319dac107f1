#include "picturefile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace PictureFile {

void copyOver(const QString &source, const QString &target)
{
    const auto fail = [&](const QString &reason) {
        throw EPictureCopyError(u"%1 cannot be copied to %2: %3"_s.arg(
            QDir::toNativeSeparators(source), QDir::toNativeSeparators(target), reason));
    };
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        fail(in.errorString());
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        fail(out.errorString());
    QByteArray chunk;
    do {
        chunk = in.read(1 << 20);
        if (in.error() != QFileDevice::NoError) {
            out.cancelWriting();
            fail(in.errorString());
        }
        if (out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            fail(out.errorString());
        }
    } while (!chunk.isEmpty());
    if (!out.commit())
        fail(out.errorString());
}

} // namespace PictureFile
