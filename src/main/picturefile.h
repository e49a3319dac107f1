#pragma once

#include <QString>

#include <stdexcept>

// A picture file that could not be copied into the pictures folder.
class EPictureCopyError : public std::runtime_error
{
public:
    explicit EPictureCopyError(const QString &message) : std::runtime_error(message.toStdString())
    {}
};

namespace PictureFile {

// Copies `source` over `target` through a temporary file beside the target that replaces it
// only once the copy is complete, so a failed copy leaves any earlier target as it was.
// Throws EPictureCopyError naming both files and the reason.
void copyOver(const QString &source, const QString &target);

} // namespace PictureFile
