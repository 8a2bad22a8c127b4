// Lets ZipWriter::WriteTree write an archive straight into the resource
// that a ResourceStreamWriter is writing.
#pragma once

#include <ResourceStreamWriter.h>
#include <ZipSink.h>

class ResourceZipSink : public ZipSink {
public:
    explicit ResourceZipSink(ondelle::resources::ResourceStreamWriter& writer) : fWriter(writer) {}

    status_t Append(const void* data, size_t length) override { return fWriter.Write(data, length); }
    status_t Patch(uint64 offset, const void* data, size_t length) override
    {
        return fWriter.Patch(offset, data, length);
    }
    uint64 Size() const override { return fWriter.ResourceSize(); }

private:
    ondelle::resources::ResourceStreamWriter& fWriter;
};
