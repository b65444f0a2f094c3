#pragma once
// Saves a QImage through the atomic writer. Only targets that link Qt Gui
// include this; common itself does not, so it stays header-only.
#include "common/atomic_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <string>

namespace common {

// The picture encoded in the format its file name's suffix names (PNG, BMP,
// JPEG, ...), then written whole or not at all. False when the suffix names
// no format Qt can write or the file cannot be written.
inline bool saveImageAtomic(const QImage& image, const QString& path)
{
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    const QByteArray format = QFileInfo(path).suffix().toLower().toLatin1();
    if (image.isNull() || format.isEmpty() || !image.save(&buffer, format.constData()))
        return false;
    const QByteArray name = path.toLocal8Bit();
    return writeFileAtomic(std::string(name.constData(), size_t(name.size())),
                           std::string(encoded.constData(), size_t(encoded.size())));
}

} // namespace common
