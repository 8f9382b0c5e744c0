#include "intake/ui/TextDropFilter.h"

#include "support/CaseName.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QStandardItemModel>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct DropCase {
    const char* name;
    bool onTreeView;  // else a plain widget
    const char* text; // nullptr: the drop carries no text
    bool accepted;
};

class TextDropFilterDrops : public testing::TestWithParam<DropCase> { };

TEST_P(TextDropFilterDrops, HandTheWholeTextOver)
{
    const DropCase& c = GetParam();
    QStandardItemModel rows;
    std::unique_ptr<QWidget> target;
    QWidget* receiver = nullptr; // where the window system delivers the drop
    if (c.onTreeView) {
        auto view = std::make_unique<QTreeView>();
        view->setModel(&rows);
        receiver = view->viewport();
        target = std::move(view);
    } else {
        target = std::make_unique<QWidget>();
        receiver = target.get();
    }
    QStringList handed;
    TextDropFilter::install(target.get(), [&handed](const QString& text) { handed << text; });
    target->show();
    EXPECT_TRUE(receiver->acceptDrops());

    QMimeData data;
    if (c.text)
        data.setText(QString::fromUtf8(c.text));
    else
        data.setData(QStringLiteral("application/octet-stream"), "bytes");
    QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(receiver, &enter);
    EXPECT_EQ(enter.isAccepted(), c.accepted);
    QDragMoveEvent move(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(receiver, &move);
    EXPECT_EQ(move.isAccepted(), c.accepted);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(receiver, &drop);

    EXPECT_EQ(handed, c.text ? QStringList {QString::fromUtf8(c.text)} : QStringList());
}

INSTANTIATE_TEST_SUITE_P(Cases, TextDropFilterDrops,
                         testing::Values(DropCase {"UrlOnTreeView", true, "http://h/f.zip", true},
                                         DropCase {"WordsAndUrlOnTreeView", true, "get http://h/f.zip now", true},
                                         DropCase {"UrlOnWidget", false, "ftp://h/f.zip", true},
                                         DropCase {"NoTextOnTreeView", true, nullptr, false},
                                         DropCase {"NoTextOnWidget", false, nullptr, false}),
                         CaseName());

} // namespace
