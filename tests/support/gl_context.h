// What the GoogleTest binaries share: one headless GL context per binary,
// pixel reads, and scratch directories for files the tests write.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

// Makes the binary's one headless context current (creating it on first use)
// at the given size. Fails the calling test when no context can be made.
void requireGlContext(int width = 800, int height = 600);

// A test fixture that has the context current and GL at its start-up state
// (identity matrices, the full viewport, no GL error pending).
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
};

// RGBA of the pixel at (x, y), y counted from the bottom as GL does.
std::array<uint8_t, 4> readPixel(int x, int y);

// A fresh empty directory under the system's temporary directory, removed
// with its contents when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return dir; }
    std::string file(const std::string& name) const { return dir + "/" + name; }

private:
    std::string dir;
};

// Writes bytes to a file, creating parent directories.
void writeFile(const std::string& path, const std::string& bytes);
