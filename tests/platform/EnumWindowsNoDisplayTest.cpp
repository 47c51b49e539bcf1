// Without an X display the enumeration sees nothing, and says so once.
#include "platform/EnumWindows.h"
#include "platform/VelmoraError.h"

#include <cstdlib>
#include <gtest/gtest.h>

TEST(EnumWindows, WithoutADisplaySaysSoOnce)
{
    ::unsetenv("DISPLAY");
    int windows = 0;
    const auto count = [](BrevantWindow, const BrevantWindowList* list) {
        ++*reinterpret_cast<int*>(list->context);
        return true;
    };
    BrevantWindowList list{&windows, nullptr, nullptr, nullptr, nullptr};
    try {
        EnumWindows(count, &list);
        ADD_FAILURE() << "no error raised";
    } catch (const EVelmoraError& error) {
        EXPECT_EQ(error.Message(), "Cannot connect to the X display: the task manager sees no windows");
    }
    EXPECT_NO_THROW(EnumWindows(count, &list));
    EXPECT_EQ(windows, 0);
}
