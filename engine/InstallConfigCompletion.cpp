// The job's last steps: the offers to run installed items, the completion
// message, the restart question and the opening of the installation folder.
#include "InstallConfig.h"

#include "AutoLaunch.h"
#include "Completion.h"

#include <Alert.h>
#include <InterfaceDefs.h>
#include <LibAlert.h>
#include <LibEntryUtils.h>

#include <string>


void
InstallConfig::AutoLaunch()
{
    for (int32 index = 0; InstallItemAt(index) != nullptr; index++) {
        // After the job, "file_name" names where the item was placed.
        InstallItem item = ItemAt(index);
        if (!item.IsSelected() || !item.IsAutoLaunch())
            continue;
        const std::string path = item.FileName() != nullptr ? item.FileName() : "";
        const std::string leaf(InstallItem::LeafOf(path.c_str()));
        const std::string question = LaunchQuestion(leaf.c_str(), item.AutoLaunchReason());

        BAlert alert("", question.c_str(), "Later", "Run", nullptr, B_WIDTH_AS_USUAL, B_INFO_ALERT);
        alert.SetKind("launch");
        // Escape answers "Later".
        alert.SetShortcut(0, B_ESCAPE);
        // Nothing is started unless someone asks for it.
        alert.SetDefaultButton(0);
        if (alert.Go() != 1)
            continue;

        if (LaunchKindOf(path.c_str()) == LAUNCH_EXECUTABLE) {
            if (LaunchExecutable(path.c_str()) != B_OK)
                LibError("'%s' was unable to be run at this time.", leaf.c_str());
        } else {
            // A script that ran to its end says nothing; a failed one says
            // why.
            const std::string failure = ScriptFailureText(leaf.c_str(), RunScript(path.c_str()));
            if (!failure.empty())
                LibError("%s", failure.c_str());
        }
    }
}


void
InstallConfig::Complete(const char* installFolder)
{
    LibString summary;
    FailureSummary(summary);
    const char* summaryText = summary;
    const bool failed = summaryText != nullptr && *summaryText != '\0';
    const std::string message = CompletionMessage(summaryText, CompleteComments(),
        CompleteRestart());
    const alert_type type = failed ? B_WARNING_ALERT : B_INFO_ALERT;

    if (CompleteRestart()) {
        BAlert alert("", message.c_str(), "Restart Later", "Restart Now", nullptr,
            B_WIDTH_FROM_WIDEST, type);
        alert.SetKind("restart");
        // An unanswered question never restarts the machine.
        alert.SetDefaultButton(0);
        if (alert.Go() == 1)
            SetRestartRequested(true);
    } else {
        // Shown as it stands: a "%" in the comments is no format directive.
        BAlert alert("", message.c_str(), "OK", nullptr, nullptr, B_WIDTH_AS_USUAL, type);
        alert.SetShortcut(0, 'O');
        alert.SetKind("completion");
        alert.Go();
    }

    if (CompleteDisplayFolder() && installFolder != nullptr)
        LibOpenEntry(installFolder);
}
