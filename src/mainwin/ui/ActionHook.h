#pragma once

#include <QList>

#include <functional>

class QAction;
class QObject;

// Lets `actions` run `run`, replacing what they ran for `receiver` before.
// While `run` is empty they are disabled, so no entry is a dead click.
void BindActionHook(QObject* receiver, const QList<QAction*>& actions, const std::function<void()>& run);
