// The Windows pieces below the game. Content files as Windows opens them: by
// a UTF-8 path with spaces and non-ASCII letters, in binary mode (no byte of
// a line end or of Control+Z changed), a directory named as no regular file,
// a file another program holds locked refused as one that cannot be read.
// The clock from the performance counter moving forward. The window system
// the GLUT back end asks, with a window's context current: a refresh rate
// that is a display's or none, the screen's size as a monitor's, swap
// control, no key held without the focus.
#include "platform/content_file.h"
#include "platform/glut/window_system.h"
#include "platform/real_clock.h"
#include "support/gl_context.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

namespace {

std::wstring wide(const std::string& utf8)
{
    std::wstring text(utf8.size(), L'\0');
    text.resize(size_t(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), text.data(),
                                           int(text.size()))));
    return text;
}

} // namespace

TEST(WindowsContentFiles, OpenByUtf8PathInBinaryAndRefuseWhatCannotBeRead)
{
    ScratchDir dir;
    const std::string folder = dir.file("Zo\xc3\xab Spiele");
    const std::string bytes("BM\r\n\x1a\0\n\r", 8);
    std::filesystem::create_directories(std::filesystem::path(wide(folder)));
    const std::string path = folder + "/Thornwick 1.0.bmp";
    const HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);

    std::string read;
    EXPECT_EQ(readContentFile(path.c_str(), PictureFileLimit, read), ContentFailure::None);
    EXPECT_EQ(read, bytes);
    EXPECT_EQ(readContentFile(path.c_str(), 4, read), ContentFailure::TooLarge);
    EXPECT_EQ(readContentFile((folder + "/gone.bmp").c_str(), PictureFileLimit, read), ContentFailure::Missing);
    EXPECT_EQ(readContentFile(folder.c_str(), PictureFileLimit, read), ContentFailure::NotRegular);

    const HANDLE locked = CreateFileW(wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_EQ(readContentFile(path.c_str(), PictureFileLimit, read), ContentFailure::Unreadable);
    EXPECT_TRUE(read.empty());
    CloseHandle(locked);
    EXPECT_EQ(readContentFile(path.c_str(), PictureFileLimit, read), ContentFailure::None);
}

TEST(WindowsClock, PerformanceCounterReadsForward)
{
    const int64_t first = monotonicNanoseconds();
    Sleep(20);
    const int64_t second = monotonicNanoseconds();
    EXPECT_GE(second - first, 15000000);
    EXPECT_LT(second - first, 5000000000);
}

TEST(WindowsWindowSystem, AnswersForTheCurrentContextsWindow)
{
    requireGlContext();
    const double rate = displayRefreshRate();
    EXPECT_TRUE(rate == 0.0 || (rate >= 10.0 && rate <= 1000.0)) << rate;
    EXPECT_TRUE(isMonitorSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    EXPECT_FALSE(isMonitorSize(123, 45));
    EXPECT_TRUE(requestSwapInterval());
    // The hidden window never has the focus.
    EXPECT_FALSE(systemKeyHeld(Key::Escape, 1));
    EXPECT_EQ(takeToggleKeyPresses(), 0);
}
