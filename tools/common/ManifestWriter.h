// Adds the manifest (and, with a key, its signature) to a build that is
// being written: every byte written so far is read back from the new file
// and hashed, region by region, and every archive is checked entry by entry
// with the installer's own checks, giving each file's digest. Reading back
// what was written, rather than hashing the bytes on their way out, also
// covers the local headers the zip writer patched afterwards.
#pragma once

#include <ResourceStreamWriter.h>
#include <SigningKey.h>

#include <string>
#include <vector>

struct BuildSigning {
    // Loaded with its private half.
    SigningKey key;
    // Shown to the user as who signed the build.
    std::string signer;
};

// The number of resources AddManifest() adds.
size_t ManifestResourceCount(const BuildSigning* signing);

// Call after every other resource was written to writer, whose file is fd
// (open for reading too) at path. archiveIds are the raw resources that
// hold zip archives. Empty text on success, else what went wrong.
std::string AddManifest(ondelle::resources::ResourceStreamWriter& writer, int fd, const std::string& path,
    const std::vector<int32>& archiveIds, const BuildSigning* signing);
