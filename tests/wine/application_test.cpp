// The setting every run of the program starts in.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "errors.h"
#include "report/file_win.h"
#include "survey/float_setting.h"
#include "ui/application_win.h"

namespace {

// Armed, the next allocation of the test program fails as it would when memory is short.
std::atomic<bool> failNextAllocation{false};

}  // namespace

void* operator new(std::size_t size)
{
    if (failNextAllocation.exchange(false)) throw std::bad_alloc();
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}
// The replaced operator new takes its memory from malloc.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
#pragma GCC diagnostic pop

namespace {

unsigned short ControlWord()
{
    unsigned short word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}

// The mode the parent process handed down (here: no box for a crash) stays in force.
TEST(ApplicationSetting, NoErrorBoxesAndExtendedPrecision)
{
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    Application::Initialize();
    const UINT mode = SetErrorMode(0);  // returns the mode in force
    EXPECT_NE(mode & SEM_FAILCRITICALERRORS, 0u);
    EXPECT_NE(mode & SEM_NOGPFAULTERRORBOX, 0u);
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

// A file whose writer cannot be made is not left open: nothing else could write it until
// the program ends.
TEST(ExportFile, AFileWithoutItsWriterIsClosedAgain)
{
    const std::string name = "C:\\verloren.txt";
    WindowsOutputFiles files;
    unsigned code = 0;
    failNextAllocation = true;
    EXPECT_THROW(files.Create(name, code), std::bad_alloc);
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << "still open: error " << GetLastError();
    CloseHandle(file);
    DeleteFileA(name.c_str());
}

}  // namespace
