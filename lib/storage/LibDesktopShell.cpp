// Requests to the desktop shell: open an entry, show its information.
//
// On Linux the desktop's default handler (xdg-open) opens the entry; for
// the information request it opens the folder that holds the entry. With
// the sandbox active nothing outside it is launched: each request is
// written, as the flattened message the platform's desktop would have
// received, to a new file in the folder "desktop-requests" of the sandbox.
// A request that cannot be passed on (no opener installed) gives false.
#include "LibEntryUtils.h"

#include "ToolRunner.h"

#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <Process.h>
#include <Sandbox.h>
#include <StopPoint.h>

#include <cstdio>
#include <string>

namespace {

const uint32 kInfoRequest = 'Tinf';
const uint32 kOpenRequest = '_RRC';

bool RecordRequest(const BMessage& request)
{
    const std::string folder = std::string(sandbox_root()) + "/desktop-requests";
    create_directory(folder.c_str(), 0755);
    std::string flat;
    if (request.Flatten(&flat) != B_OK)
        return false;
    for (int n = 1; n < 100000; n++) {
        const std::string path = folder + "/request-" + std::to_string(n);
        BFile file(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_FAIL_IF_EXISTS);
        if (file.InitCheck() == B_FILE_EXISTS)
            continue;
        return file.InitCheck() == B_OK && file.Write(flat.data(), flat.size()) == ssize_t(flat.size());
    }
    return false;
}

bool SendRequest(uint32 what, const char* path)
{
    if (path == nullptr || *path == '\0')
        return false;
    BEntry entry(path);
    entry_ref ref;
    if (entry.InitCheck() != B_OK || !entry.Exists() || entry.GetRef(&ref) != B_OK)
        return false;
    // A killed install thread opens nothing more.
    stop_point();
    BMessage request(what);
    request.AddRef("refs", &ref);
    if (sandbox_active()) {
        RecordRequest(request);
        return true;
    }
    std::string target = entry.PathName();
    if (what == kInfoRequest)
        target = ParentPathOf(target);
    process_options options;
    options.wait = false;
    process_result result;
    const status_t status = run_process({"xdg-open", target}, options, &result);
    if (status != B_OK) {
        fprintf(stderr, "%s: the desktop's opener (xdg-open) could not be started for %s\n",
            what == kInfoRequest ? "LibInfoEntry" : "LibOpenEntry", target.c_str());
        return false;
    }
    return true;
}

} // namespace

bool LibInfoEntry(const char* path)
{
    return SendRequest(kInfoRequest, path);
}

bool LibOpenEntry(const char* path)
{
    return SendRequest(kOpenRequest, path);
}
