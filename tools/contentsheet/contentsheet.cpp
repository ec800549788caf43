// thornwick-contentsheet --out FILE.png [--pose N] [--every SLOT]: one picture
// of all the content, run in the game's run directory. Every picture of the
// texture table, the cottage, each skeleton in its skins posed at key frames
// of each of its animations (drawn by the game's own readers and
// AnimatedModel in the headless GL context), and a waveform strip of each
// sound. --every draws all frames of one animation slot for a closer look.
#include "app/world_build.h"
#include "assets/animation.h"
#include "assets/asset_tables.h"
#include "assets/image_files.h"
#include "assets/mub_model.h"
#include "content_files.h"
#include "platform/headless/headless.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int SheetWidth = 1536;
constexpr int Cell = 96;

bool writePng(const std::string& path, const Picture& pic)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(pic.width), png_uint_32(pic.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(size_t(pic.width) * 3);
    for (int y = 0; y < pic.height; ++y) {
        for (int x = 0; x < pic.width; ++x)
            for (int c = 0; c < 3; ++c)
                row[size_t(x) * 3 + size_t(c)] = png_byte(std::lround(std::clamp(pic.at(x, y)[c], 0.0f, 1.0f) * 255));
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return true;
}

// Copies the GL framebuffer's rectangle (GL's bottom-left origin) into the
// sheet at (x, y), top-left origin.
void grab(Picture& sheet, int glX, int glY, int w, int h, int x, int y)
{
    std::vector<uint8_t> pixels(size_t(w) * size_t(h) * 4);
    glReadPixels(glX, glY, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col) {
            const uint8_t* p = &pixels[(size_t(h - 1 - row) * size_t(w) + size_t(col)) * 4];
            if (x + col < sheet.width && y + row < sheet.height) {
                float* q = sheet.at(x + col, y + row);
                q[0] = float(p[0]) / 255;
                q[1] = float(p[1]) / 255;
                q[2] = float(p[2]) / 255;
                q[3] = 1;
            }
        }
}

void lights()
{
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    GLfloat direction[] = {-0.5f, 0.8f, 0.6f, 0.0f};
    GLfloat ambient[] = {0.45f, 0.45f, 0.45f, 1};
    GLfloat diffuse[] = {0.75f, 0.75f, 0.75f, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
}

// Sets up one cell's view: a three-quarter view from the character's front
// left, orthographic so every pose fits the same frame.
void cellView(int glX, int glY, int size, float halfSize, float centreY, float yaw)
{
    glViewport(glX, glY, size, size);
    glScissor(glX, glY, size, size);
    glEnable(GL_SCISSOR_TEST);
    glClearColor(0.78f, 0.84f, 0.88f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-halfSize, halfSize, centreY - halfSize, centreY + halfSize, -50, 50);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(12, 1, 0, 0);
    glRotatef(yaw, 0, 1, 0);
    lights();
}

// Ground line under a pose.
void ground(float size)
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glColor3f(0.45f, 0.55f, 0.35f);
    glBegin(GL_QUADS);
    glVertex3f(-size, 0, -size);
    glVertex3f(-size, 0, size);
    glVertex3f(size, 0, size);
    glVertex3f(size, 0, -size);
    glEnd();
    glEnable(GL_LIGHTING);
}

struct Body {
    const char* bones;
    int skin;
    int firstSlot, lastSlot;
    float scale;   // the kind's drawing scale relative to a villager
};

void drawPose(Picture& sheet, AnimatedModel& model, Animation* animation, int frame, const Body& body, int size, int x, int y,
              float yaw = 55)
{
    model.play(animation, PlayOnce, 1);
    model.fadeFrom = nullptr;
    model.currentFrame = frame;
    model.nextFrame = frame;
    model.fraction = 0;
    model.computePose();
    cellView(0, 0, size, 1.9f, 1.55f, yaw);
    ground(3);
    glPushMatrix();
    glScalef(body.scale, body.scale, body.scale);
    // Swimmers float at the water's surface, high above their feet; bring
    // them down into the frame.
    if (animation->fileName.find("Swim") != std::string::npos)
        glTranslatef(0, -2.0f, 0);
    glColor3f(1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, TextureTable[body.skin]);
    model.draw();
    glPopMatrix();
    glFinish();
    grab(sheet, 0, 0, size, size, x, y);
}

// Each body in each of its skins, with the animation slots it plays.
const Body Bodies[] = {{"Data/Bones/MaleBones.mub", int(TextureSlot::PessentMale), 0, 7, 1},
                        {"Data/Bones/MaleBones.mub", int(TextureSlot::PessentMale2), 0, 7, 1},
                        {"Data/Bones/FemaleBones.mub", int(TextureSlot::PessentFemale), 8, 15, 1},
                        {"Data/Bones/MaleBones.mub", int(TextureSlot::ZombieMale), 0, 7, 1},
                        {"Data/Bones/ZombieKingBones.mub", int(TextureSlot::ZombieKing), 0, 7, 1},
                        {"Data/Bones/OrcBones.mub", int(TextureSlot::Orc), 16, 21, 0.9f},
                        {"Data/Bones/GoblinBones.mub", int(TextureSlot::Goblin), 22, 27, 1}};

std::vector<int> keyFrames(const std::string& file, size_t frames)
{
    int n = int(frames);
    if (file.find("Attack") != std::string::npos)
        return {5, 8, 11};
    if (file.find("Die") != std::string::npos)
        return {n / 3, 2 * n / 3, n - 1};
    return {0, n / 4, n / 2};
}

void drawBodies(Picture& sheet, int top, int small)
{
    int row = 0;
    for (const Body& body : Bodies) {
        AnimatedModel model;
        model.attachSkeleton(body.bones);
        int column = 0;
        for (int slot = body.firstSlot; slot <= body.lastSlot; ++slot) {
            Animation* animation = AnimationLibrary::instance().get(AnimationSlot(slot));
            if (!animation || animation->frames.size() < 2)
                continue;
            for (int frame : keyFrames(animation->fileName, animation->frames.size())) {
                drawPose(sheet, model, animation, frame, body, small, column * small, top + row * small);
                ++column;
            }
        }
        ++row;
    }
}

// Loads a picture for display: TGA pictures over a checkerboard.
void drawPictures(Picture& sheet, int top)
{
    struct Entry {
        const char* path;
        bool tga;
    };
    const Entry entries[] = {{"Images/Pyramid.bmp", false}, {"Images/tree.tga", true}, {"Images/Birds.tga", true},
                             {"Images/COL.bmp", false}, {"Images/LoadScreen.bmp", false}, {"Images/Grass.tga", true},
                             {"Images/Bark.bmp", false}, {"Images/TreeBase.tga", true}, {"Images/Fire.tga", true},
                             {"Images/Plant.tga", true}, {"Images/Flowers.tga", true}, {"Images/PessentMale.bmp", false},
                             {"Images/PessentFemale.bmp", false}, {"Images/ZombieMale.bmp", false},
                             {"Images/PessentMale2.bmp", false}, {"Images/Orc.bmp", false}, {"Images/Goblin.bmp", false},
                             {"Images/ZombieKing.bmp", false}, {"Images/Cottage.bmp", false}};
    int index = 0;
    for (const Entry& e : entries) {
        int x = (index % 16) * Cell, y = top + (index / 16) * Cell;
        glViewport(0, 0, Cell, Cell);
        glScissor(0, 0, Cell, Cell);
        glEnable(GL_SCISSOR_TEST);
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 1, 0, 1, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_TEXTURE_2D);
        glBegin(GL_QUADS);
        for (int cy = 0; cy < 8; ++cy)
            for (int cx = 0; cx < 8; ++cx) {
                float v = (cx + cy) % 2 ? 0.6f : 0.85f;
                glColor3f(v, v, v);
                glVertex2f(cx / 8.0f, cy / 8.0f);
                glVertex2f((cx + 1) / 8.0f, cy / 8.0f);
                glVertex2f((cx + 1) / 8.0f, (cy + 1) / 8.0f);
                glVertex2f(cx / 8.0f, (cy + 1) / 8.0f);
            }
        glEnd();
        GLuint name = 0;
        glGenTextures(1, &name);
        if (e.tga)
            loadTgaTexture(e.path, &name, 0);
        else
            loadBmpTexture(e.path, &name, 0);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor3f(1, 1, 1);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2f(0.03f, 0.03f);
        glTexCoord2f(1, 0);
        glVertex2f(0.97f, 0.03f);
        glTexCoord2f(1, 1);
        glVertex2f(0.97f, 0.97f);
        glTexCoord2f(0, 1);
        glVertex2f(0.03f, 0.97f);
        glEnd();
        glDisable(GL_BLEND);
        glDeleteTextures(1, &name);
        glFinish();
        grab(sheet, 0, 0, Cell, Cell, x, y);
        ++index;
    }
    // The cottage model, from two sides, filling the rest of the row.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    for (int view = 0; view < 2; ++view) {
        int x = (index % 16) * Cell, y = top + (index / 16) * Cell;
        cellView(0, 0, Cell, 5.5f, 2.8f, view == 0 ? 50 : 230);
        ground(6);
        glColor3f(1, 1, 1);
        glBindTexture(GL_TEXTURE_2D, TextureTable[int(TextureSlot::Cottage)]);
        cottageModel->draw();
        glFinish();
        grab(sheet, 0, 0, Cell, Cell, x, y);
        ++index;
    }
}

std::vector<float> readWav(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string bytes = ss.str();
    std::vector<float> samples;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        uint32_t size;
        std::memcpy(&size, bytes.data() + at + 4, 4);
        if (bytes.compare(at, 4, "data") == 0) {
            for (size_t i = at + 8; i + 1 < at + 8 + size && i + 1 < bytes.size(); i += 2) {
                int16_t s;
                std::memcpy(&s, bytes.data() + i, 2);
                samples.push_back(float(s) / 32768.0f);
            }
            break;
        }
        at += 8 + size + (size & 1);
    }
    return samples;
}

// Every frame of one animation slot on every body that plays it, seen from
// the side, for a close look at a single animation.
Picture everyFrame(int slot, int size)
{
    std::vector<const Body*> players;
    for (const Body& body : Bodies)
        if (slot >= body.firstSlot && slot <= body.lastSlot)
            players.push_back(&body);
    Animation* animation = AnimationLibrary::instance().get(AnimationSlot(std::clamp(slot, 0, AnimationSlotCount - 1)));
    int frames = animation ? int(animation->frames.size()) : 0;
    Picture sheet(std::max(1, frames) * size, std::max<int>(1, int(players.size())) * size);
    for (size_t row = 0; row < players.size() && frames > 0; ++row) {
        AnimatedModel model;
        model.attachSkeleton(players[row]->bones);
        for (int f = 0; f < frames; ++f)
            drawPose(sheet, model, animation, f, *players[row], size, f * size, int(row) * size, 10);
    }
    return sheet;
}

void drawSounds(Picture& sheet, int top)
{
    const char* names[] = {"Orc", "OrcDie", "Wind", "Bubbles", "Zombie", "ZombieDie", "Splash", "SplashOut",
                           "Fall", "Goblin", "Goblin2", "GoblinDie", "GoblinFight", "Intro", "FoundKey"};
    const int w = SheetWidth / 3, h = 48;
    // Short sounds share a two-second scale so their lengths compare; the
    // longer ones fill their strip.
    std::vector<std::vector<float>> all;
    for (const char* n : names)
        all.push_back(readWav(std::string("Sounds/") + n + ".wav"));
    for (int i = 0; i < 15; ++i) {
        int x0 = (i % 3) * w, y0 = top + (i / 3) * h;
        sheet.fillRect(float(x0 + 2), float(y0 + 2), float(x0 + w - 2), float(y0 + h - 2), 0.12f, 0.13f, 0.16f);
        const std::vector<float>& s = all[size_t(i)];
        size_t longest = std::max<size_t>(s.size(), 2 * 44100);
        float hue = float(i) / 15.0f;
        float r = 0.5f + 0.5f * std::cos(6.28f * hue), g = 0.5f + 0.5f * std::cos(6.28f * (hue - 0.33f)),
              b = 0.5f + 0.5f * std::cos(6.28f * (hue - 0.66f));
        int usable = w - 8;
        for (int c = 0; c < usable; ++c) {
            size_t from = size_t(c) * longest / size_t(usable), to = size_t(c + 1) * longest / size_t(usable);
            if (from >= s.size())
                break;
            float low = 0, high = 0;
            for (size_t k = from; k < std::min(to, s.size()); ++k) {
                low = std::min(low, s[k]);
                high = std::max(high, s[k]);
            }
            float mid = float(y0) + float(h) * 0.5f;
            sheet.fillRect(float(x0 + 4 + c), mid - high * 20 - 0.5f, float(x0 + 5 + c), mid - low * 20 + 0.5f, r, g, b);
        }
    }
}

}

int main(int argc, char** argv)
{
    std::string out = "content.png";
    int poseCell = 64;   // --pose N draws larger poses for a closer look
    int every = -1;      // --every SLOT draws each frame of one animation instead
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0)
            out = argv[i + 1];
        if (std::strcmp(argv[i], "--pose") == 0)
            poseCell = std::clamp(std::atoi(argv[i + 1]), 16, 200);
        if (std::strcmp(argv[i], "--every") == 0)
            every = std::atoi(argv[i + 1]);
    }
    if (!createHeadlessContext(800, 600)) {
        std::fprintf(stderr, "thornwick-contentsheet: no headless GL context\n");
        return 1;
    }
    glGenTextures(TextureCount, TextureTable);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_NORMALIZE);
    buildWorldAssets();
    loadBmpTexture("Images/LoadScreen.bmp", TextureTable, int(TextureSlot::LoadScreen));

    if (every >= 0)
        return writePng(out, everyFrame(every, poseCell)) ? 0 : 1;

    const int picturesTop = 0, picturesHeight = 2 * Cell;
    const int bodiesTop = picturesHeight + 8, bodiesHeight = 7 * poseCell;
    const int soundsTop = bodiesTop + bodiesHeight + 8;
    Picture sheet(std::max(SheetWidth, 24 * poseCell), soundsTop + 5 * 48);
    sheet.fill(0.95f, 0.95f, 0.93f);
    drawPictures(sheet, picturesTop);
    drawBodies(sheet, bodiesTop, poseCell);
    drawSounds(sheet, soundsTop);
    if (!writePng(out, sheet)) {
        std::fprintf(stderr, "thornwick-contentsheet: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
