// Zip archives, written and read in process.
#include "LibFileUtils.h"

#include "ToolRunner.h"
#include "ZipExtractor.h"
#include "ZipWriter.h"

#include <StopPoint.h>

#include <string>

bool LibZip(const char* archive, const BPath& source, int level, bool typeUntyped)
{
    if (archive == nullptr || *archive == '\0' || source.Path() == nullptr)
        return false;
    stop_point();
    // A relative archive name is taken from the folder of source, where the
    // archive has always been made.
    std::string target = archive;
    if (target[0] != '/')
        target = ParentPathOf(source.Path()) + "/" + target;
    if (!MayChange("LibZip", target.c_str()))
        return false;
    return ZipWriter::AddTree(target.c_str(), source.Path(), level, typeUntyped) == B_OK;
}

bool LibUnzipTo(const char* archive, const char* target, status_t* status, const ZipExtractOptions* options)
{
    status_t result = B_BAD_VALUE;
    if (archive != nullptr && target != nullptr && *archive != '\0' && *target != '\0') {
        stop_point();
        result = MayChange("LibUnzip", target)
            ? ZipExtractor::Extract(archive, target, options != nullptr ? *options : ZipExtractOptions())
            : B_NOT_ALLOWED;
    }
    if (status != nullptr)
        *status = result;
    return result == B_OK;
}

bool LibUnzipRange(const char* file, off_t offset, uint64 length, const char* target, status_t* status,
    const ZipExtractOptions* options)
{
    status_t result = B_BAD_VALUE;
    if (file != nullptr && target != nullptr && *file != '\0' && *target != '\0') {
        stop_point();
        ZipExtractOptions typed = options != nullptr ? *options : ZipExtractOptions();
        typed.typeUntyped = true;
        result = MayChange("LibUnzip", target) ? ZipExtractor::ExtractRange(file, offset, length, target, typed)
                                               : B_NOT_ALLOWED;
    }
    if (status != nullptr)
        *status = result;
    return result == B_OK;
}

bool LibUnzip(const char* archive)
{
    if (archive == nullptr || *archive == '\0')
        return false;
    return LibUnzipTo(archive, ParentPathOf(archive).c_str());
}
