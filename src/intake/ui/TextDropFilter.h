#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

// Takes text dropped with the mouse on a widget (a list or tree view too,
// whose drops land on its viewport) and hands it, whole, to a function.
class TextDropFilter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const QString& text)>;

    // Lets `target` take text drops; the filter lives as long as the target.
    static TextDropFilter* install(QWidget* target, Handler onDrop);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TextDropFilter(Handler onDrop, QObject* parent);

    Handler onDrop_;
};
