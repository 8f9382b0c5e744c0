#include "uiutil/DialogLayout.h"

#include "uiutil/BannerStrip.h"

#include <QAbstractButton>
#include <QDialog>
#include <QHBoxLayout>
#include <QVBoxLayout>

QVBoxLayout* DialogLayout::bannerPage(QDialog* dialog, BannerStrip* banner, QMargins bodyMargins)
{
    auto* page = new QVBoxLayout(dialog);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(banner);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(bodyMargins);
    page->addLayout(body);
    return body;
}

QHBoxLayout* DialogLayout::buttonRow(std::initializer_list<QAbstractButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QAbstractButton* button : buttons)
        row->addWidget(button);
    return row;
}
