#include "mainwin/ui/CaptionedControls.h"

#include "mainwin/MainWindowState.h"
#include "uiutil/Named.h"

#include <QAction>
#include <QMenu>

QAction* CaptionedControls::add(QAction* action, const char* control)
{
    actions_.append(Named(action, control));
    return action;
}

QMenu* CaptionedControls::add(QMenu* menu, const char* control)
{
    menus_.append(Named(menu, control));
    return menu;
}

void CaptionedControls::apply(const MainWindowState& state) const
{
    for (QAction* action : actions_)
        action->setText(state.caption(action->objectName()));
    for (QMenu* menu : menus_)
        menu->setTitle(state.caption(menu->objectName()));
}
