// Content files as Windows opens them: by a UTF-8 path with spaces and
// non-ASCII letters, in binary mode (no byte of a line end or of Control+Z
// changed), a directory named as no regular file, a file another program
// holds locked refused as one that cannot be read, and the clock from the
// performance counter moving forward.
#include "platform/content_file.h"
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
