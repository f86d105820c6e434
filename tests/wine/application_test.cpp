// The setting every run of the program starts in.
#include <windows.h>

#include <gtest/gtest.h>

#include "errors.h"
#include "survey/float_setting.h"
#include "ui/application_win.h"

namespace {

unsigned short ControlWord()
{
    unsigned short word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}

TEST(ApplicationSetting, NoErrorBoxesAndExtendedPrecision)
{
    SetErrorMode(0);
    Application::Initialize();
    const UINT mode = SetErrorMode(0);  // returns the mode in force
    EXPECT_NE(mode & SEM_FAILCRITICALERRORS, 0u);
    EXPECT_EQ(ControlWord() & 0x0F00, 0x0300);  // 64-bit significand, round to nearest
    // A drive letter without a medium behind it answers at once instead of asking.
    char label[256] = {};
    EXPECT_FALSE(GetVolumeInformationA("Q:\\", label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0));
}

TEST(ApplicationSetting, ArithmeticErrorsLeaveNoPendingCondition)
{
    Application::Initialize();
    EXPECT_THROW(CheckedDivide(1.0L, 0.0L), EZeroDivide);
    EXPECT_THROW(CheckedDivide(0.0L, 0.0L), EInvalidOp);
    EXPECT_THROW(CheckedDivide(1e4000L, 1e-4000L), EOverflow);
    EXPECT_EQ(CheckedDivide(1.0L, 4.0L), 0.25L);
}

}  // namespace
