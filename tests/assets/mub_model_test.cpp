// The .mub mesh reader, standalone model files and their cache, and the
// display lists meshes are drawn through.
#include "assets/mub_model.h"
#include "asset_files.h"
#include "platform/notice.h"
#include "support/gl_context.h"

#include <sstream>

using namespace assetfiles;

namespace {

MubModel readMesh(const std::string& bytes)
{
    std::istringstream in(bytes);
    MubModel model;
    model.read(in);
    return model;
}

std::vector<Vertex> twoTriangles()
{
    std::vector<Vertex> vertices = triangle(0.25f);
    for (Vertex v : triangle(-0.75f)) {
        v.normal = {0, 1, 0};
        vertices.push_back(v);
    }
    return vertices;
}

// Window-space vertices the list emits, caught in feedback mode.
std::vector<std::array<float, 3>> feedbackVertices(const MubModel& model)
{
    std::vector<GLfloat> buffer(1024);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    model.draw();
    GLint used = glRenderMode(GL_RENDER);
    glDisable(GL_TEXTURE_2D);
    std::vector<std::array<float, 3>> vertices;
    for (GLint i = 0; i < used;) {
        if (buffer[size_t(i)] != GL_POLYGON_TOKEN) {
            ADD_FAILURE() << "unexpected feedback token " << buffer[size_t(i)];
            break;
        }
        int n = int(buffer[size_t(i) + 1]);
        i += 2;
        for (int v = 0; v < n; ++v, i += 3)
            vertices.push_back({buffer[size_t(i)], buffer[size_t(i) + 1], buffer[size_t(i) + 2]});
    }
    return vertices;
}

}

TEST(MeshReader, ReadsNameLineCountAndTheThreeArrays)
{
    MubModel model = readMesh(meshBytes("Body\r", twoTriangles()));
    EXPECT_EQ(model.primitive, GL_TRIANGLES);
    EXPECT_EQ(model.displayList, 0u);
    ASSERT_EQ(model.positions.size(), 6u);
    ASSERT_EQ(model.normals.size(), 6u);
    ASSERT_EQ(model.texCoords.size(), 6u);
    EXPECT_EQ(model.positions[1], (std::array<float, 3>{0.5f, -0.5f, 0.25f}));
    EXPECT_EQ(model.positions[5], (std::array<float, 3>{0.0f, 0.5f, -0.75f}));
    EXPECT_EQ(model.normals[0], (std::array<float, 3>{0, 0, 1}));
    EXPECT_EQ(model.normals[3], (std::array<float, 3>{0, 1, 0}));
    EXPECT_EQ(model.texCoords[2], (std::array<float, 2>{0.5f, 1.0f}));

    // An empty name line and a name of exactly 254 bytes are accepted.
    EXPECT_EQ(readMesh(meshBytes("", triangle())).positions.size(), 3u);
    EXPECT_EQ(readMesh(meshBytes(std::string(254, 'n'), triangle())).positions.size(), 3u);
    // 255 bytes before the line feed fail the stream: the model is empty.
    std::istringstream tooLong(meshBytes(std::string(255, 'n'), triangle()));
    MubModel empty;
    EXPECT_EQ(empty.read(tooLong), ContentFailure::WrongFormat);
    EXPECT_TRUE(empty.positions.empty());
    EXPECT_TRUE(empty.normals.empty());
    EXPECT_TRUE(empty.texCoords.empty());
    EXPECT_TRUE(tooLong.fail());
}

TEST(MeshReader, TruncatedFilesKeepTheVerticesReadWhole)
{
    const std::string whole = meshBytes("part", twoTriangles());
    const size_t header = 5 + 4;
    // Cut inside positions, inside normals and inside texture coordinates.
    struct Cut {
        size_t keep;
        size_t vertices;
    } cuts[] = {
        {header + 12 * 4 + 5, 0},
        {header + 72 + 12 * 2, 0},
        {header + 72 + 72 + 8 * 4 + 3, 4},
        {whole.size() - 1, 5},
        {header + 2, 0},
    };
    for (const Cut& cut : cuts) {
        std::istringstream in(whole.substr(0, cut.keep));
        MubModel model;
        EXPECT_EQ(model.read(in), ContentFailure::Truncated) << "cut at " << cut.keep;
        EXPECT_EQ(model.positions.size(), cut.vertices) << "cut at " << cut.keep;
        EXPECT_EQ(model.normals.size(), cut.vertices);
        EXPECT_EQ(model.texCoords.size(), cut.vertices);
    }
    MubModel four = readMesh(whole.substr(0, header + 72 + 72 + 8 * 4 + 3));
    EXPECT_EQ(four.positions[3], (std::array<float, 3>{-0.5f, -0.5f, -0.75f}));
    EXPECT_EQ(four.texCoords[3], (std::array<float, 2>{0, 0}));
}

TEST(MeshReader, ACountOfFourBillionAllocatesOnlyWhatTheFileHolds)
{
    MubModel model = readMesh(meshBytes("huge", triangle(), 4000000000LL));
    // All 96 bytes of the file go to positions; no vertex is whole.
    EXPECT_TRUE(model.positions.empty());
    EXPECT_LT(model.positions.capacity(), 100u);
    EXPECT_LT(model.normals.capacity(), 100u);
    EXPECT_LT(model.texCoords.capacity(), 100u);
}

TEST(MeshReader, FlipZNegatesEveryPosition)
{
    MubModel model = readMesh(meshBytes("m", twoTriangles()));
    model.flipZ();
    EXPECT_EQ(model.positions[0], (std::array<float, 3>{-0.5f, -0.5f, -0.25f}));
    EXPECT_EQ(model.positions[4], (std::array<float, 3>{0.5f, -0.5f, 0.75f}));
    EXPECT_EQ(model.normals[0], (std::array<float, 3>{0, 0, 1}));
}

class MeshDrawing : public GlTest {
protected:
    void TearDown() override
    {
        glDisable(GL_TEXTURE_2D);
        clearRecordedNotices();
    }
    ScratchDir dir;
};

TEST_F(MeshDrawing, StandaloneFilesAreCachedByExactName)
{
    writeFile(dir.file("Hut.mub"), meshBytes("hut", triangle(0.5f)));
    writeFile(dir.file("hut.mub"), meshBytes("hut", twoTriangles()));
    clearRecordedNotices();

    MubModel* first = ModelCache::get(dir.file("Hut.mub").c_str(), true, false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->fileName, dir.file("Hut.mub"));
    EXPECT_EQ(first->positions.size(), 3u);
    EXPECT_NE(first->displayList, 0u);
    // The options play no part in the match: the first load is returned.
    EXPECT_EQ(ModelCache::get(dir.file("Hut.mub").c_str(), false, true), first);
    EXPECT_EQ(first->positions[0][2], 0.5f);

    MubModel* otherCase = ModelCache::get(dir.file("hut.mub").c_str(), true, false);
    EXPECT_NE(otherCase, first);
    EXPECT_EQ(otherCase->positions.size(), 6u);
    EXPECT_NE(otherCase->displayList, first->displayList);

    // A missing file is an empty model, cached like any other, without a notice.
    MubModel* missing = ModelCache::get(dir.file("gone.mub").c_str(), true, false);
    EXPECT_TRUE(missing->positions.empty());
    EXPECT_EQ(ModelCache::get(dir.file("gone.mub").c_str(), true, false), missing);
    EXPECT_TRUE(recordedNotices().empty());

    // Without buildList no list is made.
    writeFile(dir.file("bare.mub"), meshBytes("bare", triangle()));
    EXPECT_EQ(ModelCache::get(dir.file("bare.mub").c_str(), false, false)->displayList, 0u);
}

TEST_F(MeshDrawing, ListOfAOneTriangleMeshDrawsIt)
{
    writeFile(dir.file("tri.mub"), meshBytes("tri", triangle()));
    MubModel model;
    model.readFile(dir.file("tri.mub").c_str(), true, false);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor3f(1, 0, 0);
    model.draw();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    glDisable(GL_TEXTURE_2D);
    EXPECT_EQ(readPixel(400, 300), (std::array<uint8_t, 4>{255, 0, 0, 255}));
    EXPECT_EQ(readPixel(400, 500), (std::array<uint8_t, 4>{0, 0, 0, 255}));
    EXPECT_EQ(readPixel(50, 50), (std::array<uint8_t, 4>{0, 0, 0, 255}));
    // The list carries the file's texture coordinates and normals.
    GLfloat normal[4], texCoord[4];
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texCoord);
    EXPECT_EQ(normal[2], 1.0f);
    EXPECT_EQ(texCoord[0], 0.5f);
    EXPECT_EQ(texCoord[1], 1.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(MeshDrawing, FlipZCompilesTheListFromNegatedPositions)
{
    writeFile(dir.file("deep.mub"), meshBytes("deep", triangle(0.5f)));
    MubModel plain, flipped;
    plain.readFile(dir.file("deep.mub").c_str(), true, false);
    flipped.readFile(dir.file("deep.mub").c_str(), true, true);
    auto near = feedbackVertices(plain);
    auto far = feedbackVertices(flipped);
    ASSERT_EQ(near.size(), 3u);
    ASSERT_EQ(far.size(), 3u);
    // Window depth is (z + 1) / 2 under identity matrices.
    EXPECT_NEAR(near[0][2], 0.75f, 1e-4);
    EXPECT_NEAR(far[0][2], 0.25f, 1e-4);
    EXPECT_NEAR(near[0][0], far[0][0], 1e-4);
}

TEST_F(MeshDrawing, ZeroVertexMeshDrawsNothingAndKeepsTheCallersState)
{
    writeFile(dir.file("empty.mub"), meshBytes("empty", {}));
    MubModel model;
    model.readFile(dir.file("empty.mub").c_str(), true, false);
    EXPECT_NE(model.displayList, 0u);

    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    glNormal3f(0.0f, 1.0f, 0.0f);
    glTexCoord2f(0.125f, 0.375f);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0.5f, 0.0f, 0.0f);
    EXPECT_TRUE(feedbackVertices(model).empty());
    model.draw();
    glDisable(GL_TEXTURE_2D);

    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    for (auto [x, y] : {std::pair{400, 300}, {10, 10}, {790, 590}})
        EXPECT_EQ(readPixel(x, y), (std::array<uint8_t, 4>{0, 0, 255, 255}));
    GLfloat colour[4], normal[4], texCoord[4], modelview[16];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texCoord);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_EQ(colour[1], 0.5f);
    EXPECT_EQ(normal[1], 1.0f);
    EXPECT_EQ(texCoord[0], 0.125f);
    EXPECT_EQ(texCoord[1], 0.375f);
    EXPECT_EQ(modelview[12], 0.5f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}
