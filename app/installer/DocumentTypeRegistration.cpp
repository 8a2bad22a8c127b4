#include "DocumentTypeRegistration.h"

#include "InstallerIdentity.h"

#include <AtomicFile.h>
#include <DesktopEntry.h>
#include <DesktopIntegration.h>
#include <LibFileUtils.h>
#include <MimePackage.h>
#include <Process.h>

#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace {

// The files are named after the installer's signature.
const char* const kFileName = "x-vnd.Quorvane.Vondl";

std::string ParentOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The folder with every missing parent.
bool MakeFolders(const std::string& folder)
{
    if (LibExists(folder.c_str()))
        return true;
    Libmkdir(folder.c_str());
    return LibExists(folder.c_str());
}

bool ReadWhole(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

DocumentTypeRegistration::DocumentTypeRegistration(const std::string& programPath)
    : fProgramPath(programPath)
{
}

std::string DocumentTypeRegistration::MimePackagePath() const
{
    return DesktopIntegration::MimeFolder() + "/packages/" + kFileName + ".xml";
}

std::string DocumentTypeRegistration::DesktopEntryPath() const
{
    return DesktopIntegration::UserDataFolder() + "/applications/" + kFileName + ".desktop";
}

std::string DocumentTypeRegistration::MimePackageContents() const
{
    mime_type_declaration type;
    type.type = INSTALLER_DOCUMENT_TYPE;
    type.comment = "Ondelle installer document";
    type.subclassOf = "text/plain";
    return MimePackageText({type});
}

std::string DocumentTypeRegistration::DesktopEntryContents() const
{
    DesktopEntry entry;
    entry.SetName("Ondelle");
    entry.SetComment("Installs software packages");
    entry.SetCommand({fProgramPath});
    entry.SetMimeTypes({INSTALLER_DOCUMENT_TYPE});
    // Only offered for its documents, not listed in the menus.
    entry.AddKey("NoDisplay", "true");
    entry.AddKey("X-Ondelle-Signature", INSTALLER_SIGNATURE);
    return entry.Text();
}

bool DocumentTypeRegistration::_WriteIfChanged(const std::string& path, const std::string& text)
{
    std::string current;
    if (ReadWhole(path, current) && current == text)
        return false;
    if (!MakeFolders(ParentOf(path)))
        return false;
    return write_file_atomically(path.c_str(), text, 0644, ATOMIC_WRITE_REPLACE) == B_OK;
}

bool DocumentTypeRegistration::Register() const
{
    if (fProgramPath.empty())
        return false;
    const bool mime = _WriteIfChanged(MimePackagePath(), MimePackageContents());
    const bool entry = _WriteIfChanged(DesktopEntryPath(), DesktopEntryContents());
    if (mime)
        run_optional_tool({"update-mime-database", DesktopIntegration::MimeFolder()});
    if (entry)
        run_optional_tool({"update-desktop-database", "-q", ParentOf(DesktopEntryPath())});
    return mime || entry;
}
