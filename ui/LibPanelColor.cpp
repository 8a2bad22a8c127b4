#include "LibPanelColor.h"

#include <InterfaceDefs.h>
#include <StringView.h>

void LibAdoptPanelColor(BView* root)
{
    if (root == nullptr)
        return;
    if (dynamic_cast<BStringView*>(root) != nullptr)
        root->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    for (int32 i = 0; i < root->CountChildren(); i++)
        LibAdoptPanelColor(root->ChildAt(i));
}
