// A triangle mesh read from the .mub mesh encoding and compiled into a display
// list, and the process-wide cache of standalone model files, which owns every
// model it loads for the life of the process.
#pragma once

#include <GL/gl.h>

#include <array>
#include <cstddef>
#include <cstdint>
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
    // coordinates) from the stream; touches no GL. Never trusts the count
    // beyond what the stream still holds: a short stream keeps the vertices
    // read whole, and a failed stream leaves the model as it is. Returns
    // false only when the memory ran out, leaving the model empty.
    bool read(std::istream& in);
    // Reads a standalone model file; a file that cannot be opened gives an
    // empty model.
    void readFile(const char* fileName, bool buildList, bool flipZ);
    void flipZ();
    void compile();
    void emit() const;
    void draw() const;
};

namespace ModelCache {
MubModel* get(const char* fileName, bool buildList, bool flipZ);
}

// Binary helpers shared by the mesh, bones and animation readers.
bool readU32(std::istream& in, uint32_t& value);
// How many elements of `elementBytes` each the stream can still deliver, at
// most `count`; used to size reservations from counts a file only claims.
size_t boundedCount(std::istream& in, uint64_t count, size_t elementBytes);
