#include "content_files.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

Picture::Picture(int w, int h) : width(w), height(h), rgba(size_t(w) * size_t(h) * 4, 0.0f) {}

void Picture::fill(float r, float g, float b, float a)
{
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = r;
        rgba[i + 1] = g;
        rgba[i + 2] = b;
        rgba[i + 3] = a;
    }
}

void Picture::blend(int x, int y, float r, float g, float b, float coverage)
{
    if (x < 0 || y < 0 || x >= width || y >= height || coverage <= 0.0f)
        return;
    coverage = std::min(coverage, 1.0f);
    float* p = at(x, y);
    // Painting onto a transparent pixel takes the new colour outright, so
    // the colour under soft alpha edges never drifts toward black.
    float keep = p[3] > 0.0f ? 1.0f - coverage : 0.0f;
    float take = 1.0f - keep;
    p[0] = p[0] * keep + r * take;
    p[1] = p[1] * keep + g * take;
    p[2] = p[2] * keep + b * take;
    p[3] = p[3] + (1.0f - p[3]) * coverage;
}

void Picture::fillRect(float x0, float y0, float x1, float y1, float r, float g, float b, float a)
{
    int ix0 = int(std::floor(x0)), iy0 = int(std::floor(y0));
    int ix1 = int(std::ceil(x1)), iy1 = int(std::ceil(y1));
    for (int y = iy0; y < iy1; ++y)
        for (int x = ix0; x < ix1; ++x) {
            float cx = std::min(float(x + 1), x1) - std::max(float(x), x0);
            float cy = std::min(float(y + 1), y1) - std::max(float(y), y0);
            if (cx > 0 && cy > 0)
                blend(x, y, r, g, b, cx * cy * a);
        }
}

void Picture::fillEllipse(float cx, float cy, float rx, float ry, float r, float g, float b, float a)
{
    int x0 = int(std::floor(cx - rx - 1)), x1 = int(std::ceil(cx + rx + 1));
    int y0 = int(std::floor(cy - ry - 1)), y1 = int(std::ceil(cy + ry + 1));
    float scale = std::min(rx, ry);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float dx = (x + 0.5f - cx) / rx, dy = (y + 0.5f - cy) / ry;
            float d = (std::sqrt(dx * dx + dy * dy) - 1.0f) * scale;
            float cover = std::clamp(0.5f - d, 0.0f, 1.0f);
            blend(x, y, r, g, b, cover * a);
        }
}

void Picture::fillCircle(float cx, float cy, float radius, float r, float g, float b, float a)
{
    fillEllipse(cx, cy, radius, radius, r, g, b, a);
}

void Picture::line(float x0, float y0, float x1, float y1, float thickness, float r, float g, float b, float a)
{
    float half = thickness * 0.5f;
    int bx0 = int(std::floor(std::min(x0, x1) - half - 1)), bx1 = int(std::ceil(std::max(x0, x1) + half + 1));
    int by0 = int(std::floor(std::min(y0, y1) - half - 1)), by1 = int(std::ceil(std::max(y0, y1) + half + 1));
    float dx = x1 - x0, dy = y1 - y0;
    float lengthSq = std::max(dx * dx + dy * dy, 1e-6f);
    for (int y = by0; y <= by1; ++y)
        for (int x = bx0; x <= bx1; ++x) {
            float px = x + 0.5f - x0, py = y + 0.5f - y0;
            float t = std::clamp((px * dx + py * dy) / lengthSq, 0.0f, 1.0f);
            float ex = px - t * dx, ey = py - t * dy;
            float d = std::sqrt(ex * ex + ey * ey) - half;
            blend(x, y, r, g, b, std::clamp(0.5f - d, 0.0f, 1.0f) * a);
        }
}

// 5 x 7 block letters, one string of 35 cells per letter, enough for the
// titles the pictures carry.
namespace {
struct Glyph {
    char letter;
    const char* rows;
};
const Glyph Glyphs[] = {
    {'A', " ### #   ##   #######   ##   ##   #"},
    {'C', " ### #   ##    #    #    #   # ### "},
    {'D', "#### #   ##   ##   ##   ##   ##### "},
    {'E', "######    #    #### #    #    #####"},
    {'G', " ### #   ##    # ####   ##   # ####"},
    {'H', "#   ##   ##   #######   ##   ##   #"},
    {'I', " ###   #    #    #    #    #   ### "},
    {'K', "#   ##  # # #  ##   # #  #  # #   #"},
    {'L', "#    #    #    #    #    #    #####"},
    {'N', "#   ###  ## # ##  ###   ##   ##   #"},
    {'O', " ### #   ##   ##   ##   ##   # ### "},
    {'R', "#### #   ##   ##### # #  #  # #   #"},
    {'S', " ####    #     ###     #    #####  "},
    {'T', "#####  #    #    #    #    #    #  "},
    {'W', "#   ##   ##   ## # ## # ## # # # # "},
    {'.', "                              ##   "},
    {'h', "#    #    # ## ##  ##   ##   ##   #"},
    {'o', "           ### #   ##   ##   # ### "},
    {'r', "          # ## ##  ##    #    #    "},
    {'n', "          # ## ##  ##   ##   ##   #"},
    {'w', "          #   ##   ## # ## # # # # "},
    {'i', "  #        ##    #    #    #   ### "},
    {'c', "           ### #    #    #   # ### "},
    {'k', "#    #    #  # # #  ##   # #  #  # "},
    {' ', "                                   "},
};
const char* glyphRows(char c)
{
    for (const Glyph& g : Glyphs)
        if (g.letter == c)
            return g.rows;
    return Glyphs[sizeof(Glyphs) / sizeof(Glyphs[0]) - 1].rows;
}
}

float Picture::textWidth(const char* text, float pixelSize)
{
    size_t n = std::strlen(text);
    return n == 0 ? 0.0f : (float(n) * 6.0f - 1.0f) * pixelSize;
}

void Picture::text(const char* text, float x, float y, float pixelSize, float r, float g, float b)
{
    for (size_t i = 0; text[i]; ++i) {
        const char* rows = glyphRows(text[i]);
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (rows[row * 5 + col] == '#') {
                    float px = x + (float(i) * 6.0f + float(col)) * pixelSize;
                    float py = y + float(row) * pixelSize;
                    fillRect(px, py, px + pixelSize, py + pixelSize, r, g, b);
                }
    }
}

uint32_t Lcg::next()
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

float Lcg::unit()
{
    return float(next() & 0xFFFFFF) / float(0xFFFFFF);
}

float Lcg::between(float low, float high)
{
    return low + (high - low) * unit();
}

namespace {
float latticeValue(int x, int y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xFFFF) / 65535.0f;
}
float smooth(float t)
{
    return t * t * (3.0f - 2.0f * t);
}
}

float periodicNoise(float x, float y, int period, uint32_t seed)
{
    float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    float tx = smooth(x - fx), ty = smooth(y - fy);
    auto wrap = [period](int v) { return ((v % period) + period) % period; };
    float a = latticeValue(wrap(ix), wrap(iy), seed);
    float b = latticeValue(wrap(ix + 1), wrap(iy), seed);
    float c = latticeValue(wrap(ix), wrap(iy + 1), seed);
    float d = latticeValue(wrap(ix + 1), wrap(iy + 1), seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float fractalNoise(float x, float y, int period, int octaves, uint32_t seed)
{
    float sum = 0.0f, weight = 0.0f, amplitude = 1.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += periodicNoise(x, y, period, seed + uint32_t(o) * 17u) * amplitude;
        weight += amplitude;
        amplitude *= 0.5f;
        x *= 2.0f;
        y *= 2.0f;
        period *= 2;
    }
    return sum / weight;
}

void Mesh::vertex(const float p[3], const float n[3], float s, float t)
{
    positions.insert(positions.end(), p, p + 3);
    normals.insert(normals.end(), n, n + 3);
    texCoords.push_back(s);
    texCoords.push_back(t);
}

namespace {
void put16(std::string& out, uint16_t v)
{
    out.push_back(char(v & 0xFF));
    out.push_back(char(v >> 8));
}
void put32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(char((v >> (8 * i)) & 0xFF));
}
void putFloat(std::string& out, float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    put32(out, bits);
}
void putDouble(std::string& out, double d)
{
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    put32(out, uint32_t(bits & 0xFFFFFFFFu));
    put32(out, uint32_t(bits >> 32));
}
uint8_t toByte(float v)
{
    return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}
}

std::string encodeBmp(const Picture& picture)
{
    uint32_t rowBytes = (uint32_t(picture.width) * 3 + 3) & ~3u;
    uint32_t imageBytes = rowBytes * uint32_t(picture.height);
    std::string out;
    out += "BM";
    put32(out, 54 + imageBytes);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, uint32_t(picture.width));
    put32(out, uint32_t(picture.height));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, imageBytes);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    // Bottom-up: the picture's last row is the file's first, so texture
    // coordinate t = 1 is the top of the picture as painted.
    for (int y = picture.height - 1; y >= 0; --y) {
        uint32_t written = 0;
        for (int x = 0; x < picture.width; ++x) {
            const float* p = picture.at(x, y);
            out.push_back(char(toByte(p[2])));
            out.push_back(char(toByte(p[1])));
            out.push_back(char(toByte(p[0])));
            written += 3;
        }
        for (; written < rowBytes; ++written)
            out.push_back(0);
    }
    return out;
}

std::string encodeTga(const Picture& picture)
{
    std::string out(18, '\0');
    out[2] = 2;
    out[12] = char(picture.width & 0xFF);
    out[13] = char(picture.width >> 8);
    out[14] = char(picture.height & 0xFF);
    out[15] = char(picture.height >> 8);
    out[16] = 32;
    out[17] = 8;   // eight alpha bits, bottom-left origin
    for (int y = picture.height - 1; y >= 0; --y)
        for (int x = 0; x < picture.width; ++x) {
            const float* p = picture.at(x, y);
            out.push_back(char(toByte(p[2])));
            out.push_back(char(toByte(p[1])));
            out.push_back(char(toByte(p[0])));
            out.push_back(char(toByte(p[3])));
        }
    return out;
}

std::string encodeMesh(const Mesh& mesh)
{
    std::string out = mesh.name + "\n";
    uint32_t n = uint32_t(mesh.vertexCount());
    put32(out, n);
    for (float f : mesh.positions)
        putFloat(out, f);
    for (float f : mesh.normals)
        putFloat(out, f);
    for (float f : mesh.texCoords)
        putFloat(out, f);
    return out;
}

std::string encodeBones(const std::vector<Mesh>& parts)
{
    std::string out;
    put32(out, uint32_t(parts.size()));
    for (const Mesh& part : parts)
        out += encodeMesh(part);
    return out;
}

std::string encodeAnimation(const std::vector<AnimationFrameData>& frames)
{
    std::string out;
    put32(out, uint32_t(frames.size()));
    for (const AnimationFrameData& frame : frames) {
        putDouble(out, frame.time);
        put32(out, uint32_t(frame.matrices.size()));
        for (const auto& m : frame.matrices)
            for (float f : m)
                putFloat(out, f);
    }
    return out;
}

std::string encodeWav(const std::vector<float>& samples, int sampleRate)
{
    uint32_t dataBytes = uint32_t(samples.size()) * 2;
    std::string out = "RIFF";
    put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1);
    put16(out, 1);
    put32(out, uint32_t(sampleRate));
    put32(out, uint32_t(sampleRate) * 2);
    put16(out, 2);
    put16(out, 16);
    out += "data";
    put32(out, dataBytes);
    for (float s : samples) {
        long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
        put16(out, uint16_t(int16_t(v)));
    }
    return out;
}

bool writeContentFile(const std::string& root, const std::string& relativePath, const std::string& bytes)
{
    std::filesystem::path path = std::filesystem::path(root) / relativePath;
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}
