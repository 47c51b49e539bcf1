#include "platform/ErrorGuard.h"
#include "platform/MessageBox.h"
#include "tests/support/MessageBoxRecorder.h"

#include <QPushButton>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(ErrorGuardTest, AnEscapingErrorIsShownInTheDefaultBoxAndTheProgramGoesOn)
{
    MessageBoxRecorder boxes;
    QPushButton button;
    int clicks = 0;
    GuardedConnect(&button, &QPushButton::clicked, &button, [&] {
        if (++clicks == 1)
            throw EVelmoraError(QStringLiteral("Division by zero"));
        if (clicks == 2)
            throw std::runtime_error("Already ends.");
    });
    button.click();
    button.click();
    button.click();
    EXPECT_EQ(clicks, 3);
    ASSERT_EQ(boxes.Count(), 2);
    EXPECT_EQ(boxes.Calls()[0].caption, QStringLiteral("Velmora"));
    EXPECT_EQ(boxes.Calls()[0].text, QStringLiteral("Division by zero."));
    EXPECT_EQ(boxes.Calls()[0].icon, TMsgIcon::Error);
    EXPECT_EQ(boxes.Calls()[0].buttons, TMsgButtons::OK);
    EXPECT_EQ(boxes.Calls()[1].text, QStringLiteral("Already ends."));
}

TEST(ErrorGuardTest, HandlersGetTheSignalsArguments)
{
    QPushButton button;
    button.setCheckable(true);
    bool seen = false;
    GuardedConnect(&button, &QPushButton::toggled, &button, [&](bool checked) { seen = checked; });
    button.setChecked(true);
    EXPECT_TRUE(seen);
}

TEST(MessageBoxTest, LineBreaksAreShownOnceAndKeptInTheText)
{
    EXPECT_EQ(MessageBoxDisplayText(QStringLiteral("a\n\rb\n\r")), QStringLiteral("a\nb\n"));
    MessageBoxRecorder boxes;
    boxes.Answer(IDYES);
    EXPECT_EQ(MessageBox(nullptr, QStringLiteral("a\n\rb"), QStringLiteral("c"), TMsgButtons::YesNo,
                         TMsgIcon::Question),
              IDYES);
    EXPECT_EQ(
        MessageBox(nullptr, QStringLiteral("x"), QStringLiteral("c"), TMsgButtons::YesNo, TMsgIcon::Question),
        IDNO);
    EXPECT_EQ(boxes.Calls()[0].text, QStringLiteral("a\n\rb"));
}

} // namespace
