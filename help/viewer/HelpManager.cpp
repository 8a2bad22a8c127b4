#include "HelpManager.h"

#include "HelpWindow.h"

#include <Entry.h>
#include <LibAppResource.h>
#include <Message.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

HelpManager::HelpManager()
    :
    fWindow(nullptr)
{
}

HelpManager::~HelpManager()
{
    CloseWindow();
}

void HelpManager::SetSignature(const char* signature)
{
    if (signature == nullptr) {
        fSignature = "";
        return;
    }
    const char* slash = std::strrchr(signature, '/');
    fSignature = slash != nullptr ? slash + 1 : signature;
}

void HelpManager::SetProgramPath(const char* path)
{
    fProgramPath = path != nullptr ? path : "";
}

LibString HelpManager::ViewPath(const BMessage& request)
{
    std::string path;
    if (request.FindString("window", 0, &path) != B_OK)
        return LibString("");
    std::string view;
    for (int32 i = 0; request.FindString("view", i, &view) == B_OK; i++)
        path += "/" + view;
    return LibString(path.c_str());
}

void HelpManager::MessageReceived(BMessage* message)
{
    if (message == nullptr || message->what != kHelpRequest)
        return;
    if (fWindow == nullptr) {
        fWindow = new HelpWindow(fSignature, this, (fProgramPath.Length() == 0) ? nullptr : (const char*)fProgramPath);
        fWindow->Show();
        fWindow->SetPosition(LibWindow::kMiddleRight);
    }
    if (!fWindow->Lock())
        return;
    const LibString path = ViewPath(*message);
    fWindow->HelpForInterface(path);
    if (fWindow->IsHidden())
        fWindow->Pop();
    fWindow->Unlock();
}

void HelpManager::CloseWindow()
{
    HelpWindow* window = fWindow;
    if (window == nullptr)
        return;
    fWindow = nullptr;
    window->ForgetManager();
    if (window->Lock())
        window->Quit();
}

void HelpManager::WindowGone(HelpWindow* window)
{
    if (fWindow == window)
        fWindow = nullptr;
}

bool HelpManager::AddHelpFile(const char* path)
{
    if (path == nullptr || !BEntry(path, true).Exists()) {
        std::fprintf(stderr, "%s does not exist\n", path != nullptr ? path : "(null)");
        return false;
    }
    // Changes reach the program when the resources are synced: the file is
    // then written anew beside the program and renamed over it.
    std::unique_ptr<LibAppResource> resources = (fProgramPath.Length() == 0)
        ? std::make_unique<LibAppResource>(B_READ_WRITE)
        : std::make_unique<LibAppResource>(fProgramPath, B_READ_WRITE);
    const bool added = resources->InitCheck() == B_OK && resources->AddEntry(path, kResourceId, kResourceName, 9)
        && resources->Sync() == B_OK;
    std::fprintf(stderr, added ? "%s added to application\n" : "%s failed to add to application\n", path);
    return added;
}
