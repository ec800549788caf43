#include "support/gl_context.h"

#include "platform/headless/headless.h"

#include <GL/gl.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

void requireGlContext(int width, int height)
{
    ASSERT_TRUE(createHeadlessContext(width, height)) << "no headless EGL context";
}

void GlTest::SetUp()
{
    requireGlContext();
    while (glGetError() != GL_NO_ERROR) {
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, 800, 600);
}

std::array<uint8_t, 4> readPixel(int x, int y)
{
    std::array<uint8_t, 4> rgba{};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

ScratchDir::ScratchDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "thornwick-test-XXXXXX").string();
    if (char* made = mkdtemp(pattern.data()))
        dir = made;
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    if (!dir.empty())
        std::filesystem::remove_all(dir, ignored);
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}
