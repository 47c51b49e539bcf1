#include "platform/Form.h"

#include <QApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

// Wherever a window was, it opens inside the screen at its own size; one larger than the screen is
// fitted to it; one that fits stays where it was put.
TEST(FormTest, EveryShowKeepsTheWindowInsideTheScreen)
{
    TForm main;
    main.resize(400, 300);
    main.show();
    const QRect area = main.screen()->availableGeometry();
    EXPECT_TRUE(area.contains(main.frameGeometry()));

    TForm tasks;
    tasks.resize(500, 450);
    tasks.show();
    EXPECT_EQ(tasks.size(), QSize(500, 450));
    EXPECT_LE((tasks.frameGeometry().center() - main.frameGeometry().center()).manhattanLength(), 2)
        << "opens over the main window";
    tasks.hide();
    tasks.move(area.right() - 100, area.bottom() - 100);
    tasks.show();
    EXPECT_TRUE(area.contains(tasks.frameGeometry()));
    EXPECT_EQ(tasks.size(), QSize(500, 450));
    tasks.hide();
    tasks.move(area.topLeft() + QPoint(10, 20));
    tasks.show();
    EXPECT_EQ(tasks.pos(), area.topLeft() + QPoint(10, 20));

    TForm editor;
    editor.setMinimumSize(area.width() + 40, 200);
    editor.resize(area.width() + 40, area.height() + 100);
    editor.move(area.left() - 20, area.top() + 50);
    editor.show();
    EXPECT_EQ(editor.frameGeometry(), area);
}

} // namespace
