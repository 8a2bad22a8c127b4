#include <PopUpMenu.h>

BPopUpMenu::BPopUpMenu(const char* title, bool radioMode, bool labelFromMarked, menu_layout layout)
    : BMenu(title, layout)
{
    SetRadioMode(radioMode);
    SetLabelFromMarked(labelFromMarked);
}

BPopUpMenu::~BPopUpMenu() = default;

BMenuItem* BPopUpMenu::Go(BPoint where, bool deliversMessage, bool openAnyway)
{
    if (CountItems() == 0 && !openAnyway)
        return nullptr;
    BMenuItem* picked = Track(where);
    if (picked == nullptr)
        return nullptr;
    if (IsRadioMode())
        picked->SetMarked(true);
    if (deliversMessage)
        picked->Invoke();
    return picked;
}
