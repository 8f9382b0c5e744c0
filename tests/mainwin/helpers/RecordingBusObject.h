#pragma once

#include <QDBusVirtualObject>
#include <QString>

// A fake service's object: writes each call made to it as one line of a
// file (the method, then its arguments, separated by tabs; a list's items
// separated by commas) and answers Notify with a new id. The call "Emit"
// (a signal name, then its arguments) sends that signal from the object, on
// the interface the call named.
class RecordingBusObject : public QDBusVirtualObject {
    Q_OBJECT
public:
    explicit RecordingBusObject(QString recordPath, QObject* parent = nullptr);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    void record(const QDBusMessage& message) const;

    QString recordPath_;
    uint lastId_ = 0;
};
