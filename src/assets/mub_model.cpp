#include "assets/mub_model.h"

#include <algorithm>
#include <bit>
#include <fstream>
#include <new>

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

template <size_t N>
void readElements(std::istream& in, uint32_t count, std::vector<std::array<float, N>>& into)
{
    into.reserve(boundedCount(in, count, sizeof(float) * N));
    std::array<float, N> element;
    for (uint32_t i = 0; i < count; ++i) {
        in.read(reinterpret_cast<char*>(element.data()), sizeof element);
        if (in.gcount() != std::streamsize(sizeof element))
            return;
        into.push_back(element);
    }
}

void readMesh(std::istream& in, MubModel& model)
{
    char name[NameLineBuffer];
    in.getline(name, NameLineBuffer);
    uint32_t count = 0;
    if (!in || !readU32(in, count))
        return;
    readElements(in, count, model.positions);
    readElements(in, count, model.normals);
    readElements(in, count, model.texCoords);
    // A vertex is whole only with all three of its parts.
    size_t whole = std::min({model.positions.size(), model.normals.size(), model.texCoords.size()});
    model.positions.resize(whole);
    model.normals.resize(whole);
    model.texCoords.resize(whole);
}

}

bool MubModel::read(std::istream& in)
{
    // A mesh larger than the memory left loads empty, as one that cannot be
    // read does, and the game goes on without it.
    try {
        readMesh(in, *this);
        return true;
    } catch (const std::bad_alloc&) {
        positions.clear();
        positions.shrink_to_fit();
        normals.clear();
        normals.shrink_to_fit();
        texCoords.clear();
        texCoords.shrink_to_fit();
        return false;
    }
}

void MubModel::readFile(const char* name, bool buildList, bool mirrorZ)
{
    fileName = name;
    std::ifstream in(name, std::ios::binary);
    if (in)
        read(in);
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
