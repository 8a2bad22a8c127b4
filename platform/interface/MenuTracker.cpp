#include "MenuTracker.h"

#include <Menu.h>
#include <SeparatorItem.h>

#include "FontEngine.h"

#include <QAction>
#include <QMenu>

#include <cmath>
#include <typeinfo>

namespace BPrivate {

BMenuItem* track_menu(const BMenu& menu, BPoint where)
{
    QMenu popup;
    BFont font;
    menu.GetFont(&font);
    popup.setFont(FontEngine::QtFontOf(font));
    popup.setEnabled(menu.IsEnabled());
    for (int32 i = 0; BMenuItem* item = menu.ItemAt(i); ++i) {
        if (typeid(*item) == typeid(BSeparatorItem)) {
            popup.addSeparator();
            continue;
        }
        QAction* action = popup.addAction(QString::fromUtf8(item->Label()));
        action->setData(i);
        action->setEnabled(item->IsEnabled());
        action->setCheckable(item->IsMarked() || menu.IsRadioMode());
        action->setChecked(item->IsMarked());
        if (item->IsMarked())
            popup.setActiveAction(action);
    }
    if (popup.isEmpty())
        return nullptr;
    QAction* chosen = popup.exec(QPoint(int(std::lround(where.x)), int(std::lround(where.y))));
    if (chosen == nullptr)
        return nullptr;
    return menu.ItemAt(chosen->data().toInt());
}

} // namespace BPrivate
