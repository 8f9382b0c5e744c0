#include "intake/FolderChooserState.h"

#include "settings/KevaContext.h"

FolderChooserState::FolderChooserState(const KevaContext& context, QObject* parent)
    : QObject(parent)
    , context_(context)
{
}

void FolderChooserState::open()
{
    const TextLookup& text = context_.text;
    caption = text.GetText(QStringLiteral("03000"), QStringLiteral("Select Directory"));
    Command1 = text.GetText(QStringLiteral("02006"), QStringLiteral("OK"));
    Command2 = text.GetText(QStringLiteral("05004"), QStringLiteral("&Cancel"));
    visible = true;
    emit changed();
}

void FolderChooserState::OK()
{
    result_ = txtPath;
    hide();
}

void FolderChooserState::Cancel()
{
    hide();
}

void FolderChooserState::hide()
{
    visible = false;
    emit changed();
}
