#include "mainwin/ui/ActionHook.h"

#include <QAction>

void BindActionHook(QObject* receiver, const QList<QAction*>& actions, const std::function<void()>& run)
{
    for (QAction* action : actions) {
        QObject::disconnect(action, &QAction::triggered, receiver, nullptr);
        if (run)
            QObject::connect(action, &QAction::triggered, receiver, [run] { run(); });
        action->setEnabled(static_cast<bool>(run));
    }
}
