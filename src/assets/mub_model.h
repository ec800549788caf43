// A triangle mesh read from the .mub mesh encoding and compiled into a display
// list, and the process-wide cache of standalone model files.
#pragma once

#include <GL/gl.h>

#include <array>
#include <istream>
#include <string>
#include <vector>

struct MubModel {
    int primitive = GL_TRIANGLES;
    GLuint displayList = 0;
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 3>> normals;
    std::vector<std::array<float, 2>> texCoords;
    std::string fileName;

    // Reads one mesh (name line, count, positions, normals, texture
    // coordinates) from the stream. Never trusts the count beyond what the
    // stream still holds: a short stream keeps the vertices read whole.
    void read(std::istream& in);
    void readFile(const char* fileName, bool buildList, bool flipZ);
    void compile();
    void emit() const;
    void draw() const;
};

namespace ModelCache {
MubModel* get(const char* fileName, bool buildList, bool flipZ);
}
