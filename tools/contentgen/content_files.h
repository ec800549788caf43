// The content generator's own file writers and the small drawing, mesh and
// sound records its makers fill. Owned by the content generator; it needs no
// GL and none of the game's code, so the game's readers check it from outside.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A picture being painted: RGBA floats 0..1, row 0 at the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<float> rgba;

    Picture(int w, int h);
    float* at(int x, int y) { return &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4]; }
    const float* at(int x, int y) const { return &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4]; }
    void fill(float r, float g, float b, float a = 1.0f);
    // Mixes a colour over pixel (x, y) with the given coverage; ignores
    // pixels outside. The pixel's own alpha grows toward 1 with coverage.
    void blend(int x, int y, float r, float g, float b, float coverage);
    void fillRect(float x0, float y0, float x1, float y1, float r, float g, float b, float a = 1.0f);
    void fillCircle(float cx, float cy, float radius, float r, float g, float b, float a = 1.0f);
    void fillEllipse(float cx, float cy, float rx, float ry, float r, float g, float b, float a = 1.0f);
    void line(float x0, float y0, float x1, float y1, float thickness, float r, float g, float b, float a = 1.0f);
    // Block letters 5 x 7 cells of pixelSize; x, y is the top left.
    void text(const char* text, float x, float y, float pixelSize, float r, float g, float b);
    static float textWidth(const char* text, float pixelSize);
};

// Deterministic pseudo-random numbers: every maker seeds its own.
struct Lcg {
    uint32_t state;
    explicit Lcg(uint32_t seed) : state(seed * 2654435761u + 12345u) {}
    uint32_t next();
    float unit();                      // 0..1
    float between(float low, float high);
};

// Smooth noise that repeats every `period` units on both axes, 0..1.
float periodicNoise(float x, float y, int period, uint32_t seed);
float fractalNoise(float x, float y, int period, int octaves, uint32_t seed);

// Triangle list in the mesh encoding's order.
struct Mesh {
    std::string name;
    std::vector<float> positions;   // 3 per vertex
    std::vector<float> normals;     // 3 per vertex
    std::vector<float> texCoords;   // 2 per vertex

    void vertex(const float p[3], const float n[3], float s, float t);
    size_t vertexCount() const { return positions.size() / 3; }
};

using Matrix = std::array<float, 16>;

struct AnimationFrameData {
    double time = 0.0;
    std::vector<std::array<float, 16>> matrices;
};

// Encoders: each returns the file's bytes.
std::string encodeBmp(const Picture& picture);
std::string encodeTga(const Picture& picture);
std::string encodeMesh(const Mesh& mesh);
std::string encodeBones(const std::vector<Mesh>& parts);
std::string encodeAnimation(const std::vector<AnimationFrameData>& frames);
std::string encodeWav(const std::vector<float>& samples, int sampleRate);

// Writes bytes under root, creating folders; false when the file cannot be written.
bool writeContentFile(const std::string& root, const std::string& relativePath, const std::string& bytes);
