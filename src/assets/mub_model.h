// A triangle mesh read from the .mub mesh encoding and compiled into a display
// list, and the process-wide cache of standalone model files, which owns every
// model it loads for the life of the process.
#pragma once

#include "platform/content_file.h"

#include <GL/gl.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <sstream>
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
    // read whole (Truncated), and a failed stream leaves the model as it is.
    // When the memory runs out the model is left empty (OutOfMemory).
    ContentFailure read(std::istream& in);
    // Reads a standalone model file, a regular file of at most
    // ModelFileLimit bytes; one that cannot be opened gives an empty model.
    // A file that fails is named on standard error.
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
// The file's bytes as a stream, or the reason there are none.
ContentFailure openModelFile(const char* fileName, std::istringstream& in);
// How many elements of `elementBytes` each the stream can still deliver, at
// most `count`; used to size reservations from counts a file only claims.
size_t boundedCount(std::istream& in, uint64_t count, size_t elementBytes);
