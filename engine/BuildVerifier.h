// Checks an installer build against the manifest it carries: the program
// bytes before the resources and every resource are hashed and compared
// with the manifest, and the manifest's signature, when there is one, is
// checked with the public key beside it. The installer runs this before it
// writes anything, and `ondelle-build inspect` and `verify` run the same
// code, so that what one refuses the other refuses.
//
// A build without a manifest (made before builds carried one) is not
// refused: it is reported as unverified and installs as before.
#pragma once

#include <BuildManifest.h>
#include <ZipExtractor.h>

#include <string>
#include <vector>

struct BuildVerification {
    enum class State { kUnverified, kWhole, kDamaged };
    State state = State::kUnverified;
    // For a damaged build: every problem found, each naming the part.
    std::vector<std::string> problems;
    // A signature that matches the manifest was found.
    bool isSigned = false;
    // The resources themselves could not be read (a build cut short): a
    // problem of its own, which the installer reports as it always did.
    bool unreadable = false;
    std::string signer;
    std::string fingerprint;
    BuildManifest manifest;

    bool Refused() const { return state == State::kDamaged; }
    // One line for the user: who signed the build, or that nobody did, or
    // that it carries no manifest.
    std::string Summary() const;
};

// Verifies the build at path.
BuildVerification VerifyBuild(const std::string& path);

// Empty when verification satisfies a required signer (a fingerprint as a
// person types it), else why the build is refused.
std::string CheckRequiredSignature(const BuildVerification& verification, const std::string& fingerprint);

// The part of a build that resource type/id is, for messages: "the
// configuration", "the archive of item 2 (\"ReadMe\")", "the deinstaller" ...
std::string BuildPartName(type_code type, int32 id, const std::string& name);

// The files of an item as unpacking wrote them (placed, named below the item
// entryName, with digests) against the files the manifest lists for the
// archive in resource id. Empty when they agree, else the first difference.
std::string CheckPlacedFiles(const BuildManifest& manifest, int32 id, const std::string& entryName,
    const std::vector<ZipPlacedEntry>& placed);
