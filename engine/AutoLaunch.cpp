// Running installed items after an install.
#include "AutoLaunch.h"

#include <LibEntryUtils.h>
#include <MimeType.h>
#include <Process.h>
#include <Sandbox.h>

#include <cstdio>
#include <cstring>

namespace {

// A script's output that the caller did not capture goes to standard error
// as it would have without a runner.
void PassOn(const std::string& text)
{
    if (!text.empty())
        fwrite(text.data(), 1, text.size(), stderr);
}

} // namespace


std::string LaunchQuestion(const char* leaf, const char* reason)
{
    std::string question = "Do you wish to run '";
    question += leaf != nullptr ? leaf : "";
    question += "' now?";
    if (reason != nullptr && *reason != '\0') {
        question += "\n";
        question += reason;
    }
    return question;
}


launch_kind LaunchKindOf(const char* path)
{
    entry_ref ref;
    if (path == nullptr || !LibGetEntryRef(path, ref))
        return LAUNCH_SCRIPT;
    char type[B_MIME_TYPE_LENGTH];
    LibGetMimeType(ref, type, false);
    if (type[0] == '\0') {
        BMimeType guessed;
        if (BMimeType::GuessMimeType(&ref, &guessed) == B_OK && guessed.Type() != nullptr)
            snprintf(type, sizeof(type), "%s", guessed.Type());
    }
    return strcmp(type, B_ELF_APP_MIME_TYPE) == 0 ? LAUNCH_EXECUTABLE : LAUNCH_SCRIPT;
}


status_t LaunchExecutable(const char* path)
{
    if (path == nullptr || *path == '\0')
        return B_BAD_VALUE;
    // Installed programs live inside the sandbox when there is one; the
    // system's own programs are not what an offer may start.
    if (sandbox_active() && !sandbox_allows_write(path))
        return B_NOT_ALLOWED;
    process_options options;
    options.wait = false;
    process_result result;
    return run_process({path}, options, &result);
}


int RunScript(const char* path)
{
    if (path == nullptr)
        return -1;
    fprintf(stderr, "(/bin/sh \"%s\")\n", path);
    // The shell itself may run anywhere; the script it is handed must lie
    // inside the sandbox when there is one.
    if (sandbox_active() && !sandbox_allows_write(path)) {
        fprintf(stderr, "RunScript: %s lies outside the sandbox; not run\n", path);
        return -1;
    }
    process_options options;
    process_result result;
    if (run_process({"/bin/sh", path}, options, &result) != B_OK)
        return -1;
    PassOn(result.errorOutput);
    if (result.exitCode >= 0)
        return result.exitCode << 8;
    return result.signal;
}


std::string ScriptFailureText(const char* leaf, int status)
{
    if (status == 0)
        return std::string();
    const std::string name = std::string("The script '") + (leaf != nullptr ? leaf : "") + "'";
    if (status < 0)
        return name + " could not be run.";
    if ((status & 0xff) == 0)
        return name + " ended with exit status " + std::to_string(status >> 8) + ".";
    return name + " was ended by signal " + std::to_string(status & 0x7f) + ".";
}
