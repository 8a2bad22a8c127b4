// What the installer makes of its own build before it writes anything: the
// build is checked against its manifest (and its signature), and a required
// signer, when the user named one, is enforced. The result says who signed
// the build for the first page and the unattended output, or why the build
// is refused, with the exit status that goes with the refusal.
#pragma once

#include <BuildVerifier.h>

#include <memory>
#include <string>

struct BuildTrust {
    // 0 when the build may be installed, else the exit status.
    int status = 0;
    // "Signed by ...", "Not signed ...", for the user.
    std::string summary;
    // Why the build is refused (status not 0).
    std::string refusal;
    // The manifest, to check each file as it is written; null for a build
    // without one.
    std::shared_ptr<const BuildManifest> manifest;
};

BuildTrust CheckBuildTrust(const std::string& buildPath, const std::string& requiredFingerprint);
