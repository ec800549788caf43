#include "assets/mub_model.h"

#include <algorithm>
#include <bit>
#include <new>
#include <utility>

static_assert(std::endian::native == std::endian::little,
              "the mesh and animation files are little-endian and read in place");

bool readU32(std::istream& in, uint32_t& value)
{
    uint8_t bytes[4];
    in.read(reinterpret_cast<char*>(bytes), 4);
    if (in.gcount() != 4)
        return false;
    value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
            uint32_t(bytes[3]) << 24;
    return true;
}

ContentFailure openModelFile(const char* fileName, std::istringstream& in)
{
    std::string bytes;
    const ContentFailure failure = readContentFile(fileName, ModelFileLimit, bytes);
    if (failure == ContentFailure::None)
        in.str(std::move(bytes));
    return failure;
}

size_t boundedCount(std::istream& in, uint64_t count, size_t elementBytes)
{
    std::streampos here = in.tellg();
    if (here == std::streampos(-1))
        return 0;
    in.seekg(0, std::ios::end);
    std::streampos end = in.tellg();
    in.seekg(here);
    if (end == std::streampos(-1) || !in || end < here)
        return 0;
    return size_t(std::min<uint64_t>(count, uint64_t(end - here) / elementBytes));
}

namespace {

// The name line holds at most 254 bytes before its line feed; a longer one
// fails the stream.
constexpr std::streamsize NameLineBuffer = 255;

// False when the stream ended before `count` elements.
template <size_t N>
bool readElements(std::istream& in, uint32_t count, std::vector<std::array<float, N>>& into)
{
    into.reserve(boundedCount(in, count, sizeof(float) * N));
    std::array<float, N> element;
    for (uint32_t i = 0; i < count; ++i) {
        in.read(reinterpret_cast<char*>(element.data()), sizeof element);
        if (in.gcount() != std::streamsize(sizeof element))
            return false;
        into.push_back(element);
    }
    return true;
}

// A name line that fills the buffer without its line feed is too long; one
// that meets the end of the stream is cut short.
ContentFailure readNameLine(std::istream& in)
{
    char name[NameLineBuffer];
    in.getline(name, NameLineBuffer);
    if (in)
        return ContentFailure::None;
    return in.eof() ? ContentFailure::Truncated : ContentFailure::WrongFormat;
}

ContentFailure readMesh(std::istream& in, MubModel& model)
{
    const ContentFailure name = readNameLine(in);
    if (name != ContentFailure::None)
        return name;
    uint32_t count = 0;
    if (!readU32(in, count))
        return ContentFailure::Truncated;
    bool whole = readElements(in, count, model.positions);
    whole = readElements(in, count, model.normals) && whole;
    whole = readElements(in, count, model.texCoords) && whole;
    // A vertex is whole only with all three of its parts.
    size_t vertices = std::min({model.positions.size(), model.normals.size(), model.texCoords.size()});
    model.positions.resize(vertices);
    model.normals.resize(vertices);
    model.texCoords.resize(vertices);
    return whole ? ContentFailure::None : ContentFailure::Truncated;
}

}

ContentFailure MubModel::read(std::istream& in)
{
    // A mesh larger than the memory left loads empty, as one that cannot be
    // read does, and the game goes on without it.
    try {
        return readMesh(in, *this);
    } catch (const std::bad_alloc&) {
        positions.clear();
        positions.shrink_to_fit();
        normals.clear();
        normals.shrink_to_fit();
        texCoords.clear();
        texCoords.shrink_to_fit();
        return ContentFailure::OutOfMemory;
    }
}

void MubModel::readFile(const char* name, bool buildList, bool mirrorZ)
{
    fileName = name;
    std::istringstream in;
    ContentFailure failure = openModelFile(name, in);
    if (failure == ContentFailure::None)
        failure = read(in);
    if (failure != ContentFailure::None)
        reportContentFailure(name, failure);
    if (mirrorZ)
        flipZ();
    if (buildList)
        compile();
}

void MubModel::flipZ()
{
    for (auto& position : positions)
        position[2] = -position[2];
}

void MubModel::compile()
{
    displayList = glGenLists(1);
    glNewList(displayList, GL_COMPILE);
    emit();
    glEndList();
}

void MubModel::emit() const
{
    glBegin(GLenum(primitive));
    for (size_t i = 0; i < positions.size(); ++i) {
        glTexCoord2fv(texCoords[i].data());
        glNormal3fv(normals[i].data());
        glVertex3fv(positions[i].data());
    }
    glEnd();
}

void MubModel::draw() const
{
    glEnable(GL_TEXTURE_2D);
    glCallList(displayList);
}

namespace {

// Models are looked up by their path, byte for byte, and kept for the life of
// the process; the list itself is never freed.
std::vector<MubModel*>& cachedModels()
{
    static auto* models = new std::vector<MubModel*>;
    return *models;
}

}

MubModel* ModelCache::get(const char* fileName, bool buildList, bool flipZ)
{
    auto& models = cachedModels();
    for (MubModel* model : models)
        if (model->fileName == fileName)
            return model;
    auto* model = new MubModel;
    model->readFile(fileName, buildList, flipZ);
    models.push_back(model);
    return model;
}
