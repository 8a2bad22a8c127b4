// The texts of the installation's end.
#include "Completion.h"

std::string CompletionMessage(const char* summary, const char* comments, bool restart)
{
    std::string message = summary != nullptr && *summary != '\0'
        ? summary : "Installation successfully completed.";
    if (comments != nullptr && *comments != '\0') {
        message += "\n\n";
        message += comments;
    }
    if (restart)
        message += "\n\nThe system needs to be restarted for the installation to take effect.";
    return message;
}
