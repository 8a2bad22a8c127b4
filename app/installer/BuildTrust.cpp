#include "BuildTrust.h"

#include "UnattendedInstaller.h"

BuildTrust CheckBuildTrust(const std::string& buildPath, const std::string& requiredFingerprint)
{
    BuildTrust trust;
    BuildVerification verification = VerifyBuild(buildPath);
    trust.summary = verification.Summary();
    // A build whose resources cannot be read at all is refused by the
    // loading of its configuration, with its own message and status.
    if (verification.unreadable)
        return trust;
    if (verification.Refused()) {
        trust.status = UNATTENDED_NOT_VERIFIED;
        trust.refusal = "The installer is damaged or was changed after it was made, and installs nothing: "
            + (verification.problems.empty() ? std::string("it does not match its manifest")
                                             : verification.problems.front())
            + ".";
        return trust;
    }
    if (!requiredFingerprint.empty()) {
        const std::string refusal = CheckRequiredSignature(verification, requiredFingerprint);
        if (!refusal.empty()) {
            trust.status = UNATTENDED_SIGNATURE_REQUIRED;
            trust.refusal = "The installer installs nothing: " + refusal + ".";
            return trust;
        }
    }
    if (verification.state == BuildVerification::State::kWhole)
        trust.manifest = std::make_shared<const BuildManifest>(std::move(verification.manifest));
    return trust;
}
