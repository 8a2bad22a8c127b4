// Makes the installer the program that opens its document type on the
// Linux desktop: a shared-mime-info package declaring the type and a
// desktop entry naming this program for it, both under the user's data
// folder. The desktop's cache tools are run (where they exist) only when a
// file changed, so an unchanged start writes and runs nothing. Any failure
// (an unwritable data folder, a missing tool) is silent: start-up goes on.
#pragma once

#include <string>

class DocumentTypeRegistration {
public:
    // programPath: the installer's own file, the program the entry starts.
    explicit DocumentTypeRegistration(const std::string& programPath);

    // Writes what is missing or different; true when anything was written.
    bool Register() const;

    std::string MimePackagePath() const;
    std::string DesktopEntryPath() const;
    std::string MimePackageContents() const;
    std::string DesktopEntryContents() const;

private:
    static bool _WriteIfChanged(const std::string& path, const std::string& text);

    std::string fProgramPath;
};
