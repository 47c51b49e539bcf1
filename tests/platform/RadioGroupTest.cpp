#include "platform/RadioGroup.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QDeadlineTimer>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class RadioGroupTest : public testing::Test {
protected:
    RadioGroupTest()
    {
        group.OnClick = [this] { calls.push_back(group.ItemIndex()); };
        group.show();
        group.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&group));
    }

    // Which buttons are checked, as the user sees them.
    std::vector<bool> Checked() const
    {
        std::vector<bool> checked;
        for (int i = 0; i < group.Count(); ++i)
            checked.push_back(group.Button(i)->isChecked());
        return checked;
    }

    static void Act(QRadioButton* button, const QString& action)
    {
        QAccessible::queryAccessibleInterface(button)->actionInterface()->doAction(action);
    }

    TRadioGroup group{QStringLiteral("Enabled"),
                      {QStringLiteral("Automatically enabled"), QStringLiteral("Ask before enabling"),
                       QStringLiteral("Automatically disabled")}};
    std::vector<int> calls;
};

// Every road to a choice clears the previous one and runs the handler once; choosing the chosen
// item again runs nothing.
TEST_F(RadioGroupTest, EveryWayOfChoosingChoosesOnceAndClearsTheOthers)
{
    for (int i = 0; i < group.Count(); ++i)
        EXPECT_EQ(QAccessible::queryAccessibleInterface(group.Button(i))->role(), QAccessible::RadioButton);

    QTest::mouseClick(group.Button(1), Qt::LeftButton);
    EXPECT_EQ(Checked(), (std::vector<bool>{false, true, false}));
    QTest::mouseClick(group.Button(1), Qt::LeftButton);
    EXPECT_EQ(Checked(), (std::vector<bool>{false, true, false}));

    group.Button(1)->setFocus();
    QTest::keyClick(group.Button(1), Qt::Key_Down);
    EXPECT_EQ(Checked(), (std::vector<bool>{false, false, true}));
    QTest::keyClick(group.Button(2), Qt::Key_Up);
    EXPECT_EQ(Checked(), (std::vector<bool>{false, true, false}));

    Act(group.Button(0), QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(Checked(), (std::vector<bool>{true, false, false}));
    Act(group.Button(0), QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(Checked(), (std::vector<bool>{true, false, false}));

    // The press action clicks after the button has been seen pressed.
    Act(group.Button(2), QAccessibleActionInterface::pressAction());
    QDeadlineTimer deadline(10000);
    while (group.ItemIndex() != 2 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(Checked(), (std::vector<bool>{false, false, true}));

    group.Button(2)->setFocus();
    QTest::keyClick(group.Button(2), Qt::Key_Space);
    EXPECT_EQ(Checked(), (std::vector<bool>{false, false, true}));
    QTest::keyClick(group.Button(2), Qt::Key_Up);
    QTest::keyClick(group.Button(1), Qt::Key_Up);
    EXPECT_EQ(Checked(), (std::vector<bool>{true, false, false}));

    EXPECT_EQ(calls, (std::vector<int>{1, 2, 1, 0, 2, 1, 0}));
}

// From code the index is held to -1 (none) .. the last item, and only a change runs the handler.
TEST_F(RadioGroupTest, WritingTheIndexFromCodeClampsAndMayChooseNothing)
{
    group.SetItemIndex(7);
    group.SetItemIndex(2);
    EXPECT_EQ(Checked(), (std::vector<bool>{false, false, true}));
    group.SetItemIndex(-5);
    group.SetItemIndex(-1);
    EXPECT_EQ(Checked(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(group.ItemIndex(), -1);

    // Nothing chosen, a user's choice still counts.
    QTest::mouseClick(group.Button(0), Qt::LeftButton);
    group.SetItemIndex(0);
    EXPECT_EQ(Checked(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(calls, (std::vector<int>{2, -1, 0}));
}

} // namespace
