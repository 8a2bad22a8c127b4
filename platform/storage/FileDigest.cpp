#include "FileDigest.h"

#include <Errors.h>

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

status_t file_digest(const char* path, std::string* digest)
{
    if (path == nullptr || digest == nullptr)
        return B_BAD_VALUE;
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        if (!QFileInfo::exists(file.fileName()))
            return B_ENTRY_NOT_FOUND;
        return file.error() == QFileDevice::PermissionsError ? B_PERMISSION_DENIED : B_IO_ERROR;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    // addData(QIODevice*) reads the file in blocks, so large files are not
    // loaded whole.
    if (!hash.addData(&file) || file.error() != QFileDevice::NoError)
        return B_IO_ERROR;
    *digest = hash.result().toHex().toStdString();
    return B_OK;
}
