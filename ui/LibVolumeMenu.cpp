#include <LibVolumeMenu.h>

#include <LibVolumeList.h>

#include <string>

namespace {

constexpr float kMenuWidth = 130;

} // namespace

LibVolumeMenu::LibVolumeMenu(BPoint where, const char* name, const uint32& command,
    const float& labelWidth)
    : LibMenuButton(where, name, "Disk", labelWidth, kMenuWidth, B_FOLLOW_LEFT | B_FOLLOW_TOP, 0, true),
      fCommand(command)
{
}

LibVolumeMenu::~LibVolumeMenu() = default;

void LibVolumeMenu::Update()
{
    const std::string current = Text();
    Clear();
    for (const LibVolumeChoice& choice : LibListVolumes(fRules)) {
        AddItem(choice.name.c_str(), new BMessage(fCommand));
        if (!choice.enabled)
            SetEnableItem(CountItems() - 1, false);
    }
    if (!current.empty())
        SetText(current.c_str());
}

bool LibVolumeMenu::GetCurrentVolume(BVolume& volume)
{
    return LibFindVolume(Text(), volume);
}

void LibVolumeMenu::OnlyBeOS(const bool& only)
{
    fRules.onlyNative = only;
}

void LibVolumeMenu::AllowReadOnly(const bool& allow)
{
    fRules.allowReadOnly = allow;
}

void LibVolumeMenu::AllowShared(const bool& allow)
{
    fRules.allowShared = allow;
}

void LibVolumeMenu::AllowRemovable(const bool& allow)
{
    fRules.allowRemovable = allow;
}

void LibVolumeMenu::AllowPersistent(const bool& allow)
{
    fRules.allowPersistent = allow;
}
