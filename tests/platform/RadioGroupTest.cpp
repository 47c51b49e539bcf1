#include "platform/RadioGroup.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>
#include <string>

namespace {

// Every road to a choice clears the previous one and runs the handler once; choosing the chosen
// item again runs nothing; from code the index is held to -1 (none) .. the last item.
TEST(RadioGroupTest, EveryRoadChoosesOnceAndClearsTheOthers)
{
    TRadioGroup group(QStringLiteral("Enabled"),
                      {QStringLiteral("Automatically enabled"), QStringLiteral("Ask before enabling"),
                       QStringLiteral("Automatically disabled")});
    std::vector<int> calls;
    group.OnClick = [&] { calls.push_back(group.ItemIndex()); };
    group.show();
    group.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&group));
    const auto checked = [&] {
        std::string ticks;
        for (int i = 0; i < group.Count(); ++i)
            ticks += group.Button(i)->isChecked() ? 'x' : '-';
        return ticks;
    };
    const auto act = [&](int item, const QString& action) {
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(group.Button(item));
        EXPECT_EQ(button->role(), QAccessible::RadioButton);
        button->actionInterface()->doAction(action);
    };

    QTest::mouseClick(group.Button(1), Qt::LeftButton);
    QTest::mouseClick(group.Button(1), Qt::LeftButton);
    QTest::keyClick(group.Button(1), Qt::Key_Down);
    EXPECT_EQ(checked(), "--x");
    act(0, QAccessibleActionInterface::toggleAction());
    act(0, QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(checked(), "x--");
    act(1, QAccessibleActionInterface::pressAction());
    // The press action clicks once the button has been seen down.
    EXPECT_TRUE(QTest::qWaitFor([&] { return group.ItemIndex() == 1; }, 10000));
    group.Button(2)->setFocus();
    QTest::keyClick(group.Button(2), Qt::Key_Space);
    EXPECT_EQ(checked(), "--x");

    group.SetItemIndex(7);
    group.SetItemIndex(-5);
    group.SetItemIndex(-1);
    EXPECT_EQ(checked(), "---");
    group.SetItemIndex(0);
    EXPECT_EQ(checked(), "x--");
    EXPECT_EQ(calls, (std::vector<int>{1, 2, 0, 1, 2, -1, 0}));

    // Tab comes to the chosen item, not the one last focused, and Space there keeps the choice.
    QTest::keyClick(group.Button(2), Qt::Key_Tab);
    EXPECT_TRUE(group.Button(0)->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(checked(), "x--");
}

} // namespace
