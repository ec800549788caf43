// The game against missing and damaged content: every case runs the headless
// game (reliability_game_runner) in a scratch directory, as its own process,
// so that each starts with empty caches and a world not yet built, and so
// that a crash or a sanitizer report fails only that case.
#include "support/gl_context.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct ShownNotice {
    std::string caption;
    std::string text;
    bool operator==(const ShownNotice&) const = default;
};

struct GameRun {
    int status = -1;     // exit status; 128 + signal when killed
    int frames = 0;
    std::vector<ShownNotice> notices;
    std::string errors;  // standard error
};

std::string readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeWhole(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

GameRun runGame(const std::string& dir, int frames)
{
    GameRun run;
    const std::string errorFile = dir + "/runner-stderr.txt";
    const std::string command = "cd '" + dir + "' && '" RELIABILITY_RUNNER "' " + std::to_string(frames) +
                                " 2>'" + errorFile + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text = line;
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        if (text.rfind("notice\t", 0) == 0) {
            const size_t tab = text.find('\t', 7);
            run.notices.push_back(
                {text.substr(7, tab - 7), tab == std::string::npos ? "" : text.substr(tab + 1)});
        } else if (text.rfind("frames ", 0) == 0) {
            run.frames = std::atoi(text.c_str() + 7);
        }
    }
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
    run.errors = readWhole(errorFile);
    return run;
}

// What a sanitizer writes when it finds a fault; the runs go on printing
// after a report only where recovery is allowed, so the exit status alone
// could miss one.
bool sanitizerReported(const std::string& errors)
{
    return errors.find("ERROR: AddressSanitizer") != std::string::npos ||
           errors.find("ERROR: LeakSanitizer") != std::string::npos ||
           errors.find("runtime error") != std::string::npos;
}

std::string describe(const std::vector<ShownNotice>& notices)
{
    if (notices.empty())
        return "none";
    std::string out;
    for (const ShownNotice& n : notices)
        out += (out.empty() ? "" : "; ") + n.caption + " / " + n.text;
    return out;
}

ShownNotice imageNotice(const std::string& path) { return {"BMPOrvel", path}; }

ShownNotice animationNotice(const std::string& path)
{
    return {"Failed to load animation " + path, "FileMissing!"};
}

TEST(MissingContent, ShowsEveryImageAndAnimationNoticeInOrderAndRuns1000Frames)
{
    ScratchDir empty;
    const GameRun run = runGame(empty.path(), 1000);

    // The loading screen runs before the world build, so its picture comes
    // first; then the world build's TGA pictures, its BMP pictures and the
    // animation table in slot order.
    std::vector<ShownNotice> expected = {imageNotice("Images/LoadScreen.bmp")};
    for (const char* tga : {"tree", "TreeBase", "Birds", "Grass", "Fire", "Flowers", "Plant"})
        expected.push_back(imageNotice(std::string("Images/") + tga + ".tga"));
    for (const char* bmp : {"Pyramid", "Bark", "COL", "PessentMale2", "PessentMale", "PessentFemale",
                            "ZombieMale", "ZombieKing", "Orc", "Goblin", "Cottage"})
        expected.push_back(imageNotice(std::string("Images/") + bmp + ".bmp"));
    const char* const bodies[] = {"Male", "Female", "Orc", "Goblin"};
    for (const char* body : bodies) {
        const bool human = std::string(body) == "Male" || std::string(body) == "Female";
        std::vector<std::string> moves = {"Walk", "Attack", "Idle", "Die", "Swim", "Fall"};
        if (human)
            moves = {"Walk", "WalkAfraid", "Attack", "Idle", "Die", "Swim", "SwimAttack", "Fall"};
        for (const std::string& move : moves)
            expected.push_back(animationNotice(std::string("Data/Animations/") + body + move + ".anim"));
    }
    ASSERT_EQ(expected.size(), 19u + 28u);

    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_FALSE(sanitizerReported(run.errors)) << run.errors;
    EXPECT_EQ(run.frames, 1000);
    EXPECT_EQ(run.notices, expected) << "shown: " << describe(run.notices);
}

// One damaged content file: which file, how it is damaged, and whether its
// reader refuses it with the image notice.
struct Damage {
    const char* kind;
    const char* damage;
    const char* file;
    std::function<void(std::string&)> apply;
    bool imageNotice;
};

void putU32(std::string& bytes, size_t at, uint32_t value)
{
    if (bytes.size() < at + 4)
        bytes.resize(at + 4);
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (8 * i) & 0xff);
}

void putU16(std::string& bytes, size_t at, uint16_t value)
{
    if (bytes.size() < at + 2)
        bytes.resize(at + 2);
    bytes[at] = char(value & 0xff);
    bytes[at + 1] = char(value >> 8);
}

void truncateToHalf(std::string& bytes) { bytes.resize(bytes.size() / 2); }

// A mesh's vertex count follows its name line.
size_t meshCountAt(const std::string& bytes, size_t nameStart)
{
    const size_t lineFeed = bytes.find('\n', nameStart);
    return lineFeed == std::string::npos ? bytes.size() : lineFeed + 1;
}

// The offset of the first frame's matrix count: frame count, then the
// frame's 8-byte time.
constexpr size_t FirstMatrixCount = 4 + 8;

const Damage Damages[] = {
    // BMP: width at 18, height at 22, bits per pixel at 28 (info block at 14).
    {"BMP", "truncated", "Images/Orc.bmp", truncateToHalf, true},
    {"BMP", "zeroed counts", "Images/Orc.bmp",
     [](std::string& b) { putU32(b, 18, 0); putU32(b, 22, 0); }, false},
    {"BMP", "huge counts", "Images/Orc.bmp",
     [](std::string& b) {
         putU32(b, 18, 0x7fffffff);
         putU32(b, 22, 0x7fffffff);
         putU32(b, 34, 0xffffffff);
     },
     true},
    {"BMP", "wrong depth", "Images/Orc.bmp", [](std::string& b) { putU16(b, 28, 32); }, true},
    // TGA: width at 12, height at 14, depth at 16.
    {"TGA", "truncated", "Images/Fire.tga", truncateToHalf, true},
    {"TGA", "zeroed counts", "Images/Fire.tga",
     [](std::string& b) { putU16(b, 12, 0); putU16(b, 14, 0); }, false},
    {"TGA", "huge counts", "Images/Fire.tga",
     [](std::string& b) { putU16(b, 12, 0xffff); putU16(b, 14, 0xffff); }, true},
    {"TGA", "wrong depth", "Images/Fire.tga", [](std::string& b) { b[16] = 16; }, true},
    // The cottage mesh: a name line, then the vertex count.
    {"cottage mesh", "truncated", "Data/Objects/Cottage.mub", truncateToHalf, false},
    {"cottage mesh", "zeroed counts", "Data/Objects/Cottage.mub",
     [](std::string& b) { putU32(b, meshCountAt(b, 0), 0); }, false},
    {"cottage mesh", "huge counts", "Data/Objects/Cottage.mub",
     [](std::string& b) { putU32(b, meshCountAt(b, 0), 0xffffffff); }, false},
    // Bones: the part count, then the parts as meshes.
    {"bones", "truncated", "Data/Bones/MaleBones.mub", truncateToHalf, false},
    {"bones", "zeroed counts", "Data/Bones/MaleBones.mub", [](std::string& b) { putU32(b, 0, 0); }, false},
    {"bones", "huge counts", "Data/Bones/MaleBones.mub",
     [](std::string& b) { putU32(b, 0, 0xffffffff); }, false},
    {"bones", "huge vertex count", "Data/Bones/MaleBones.mub",
     [](std::string& b) { putU32(b, meshCountAt(b, 4), 0xffffffff); }, false},
    // Animation: the frame count, then per frame a time, a matrix count and
    // the matrices.
    {"animation", "truncated", "Data/Animations/MaleWalk.anim", truncateToHalf, false},
    {"animation", "zeroed counts", "Data/Animations/MaleWalk.anim",
     [](std::string& b) { putU32(b, 0, 0); }, false},
    {"animation", "zeroed matrix count", "Data/Animations/MaleWalk.anim",
     [](std::string& b) { putU32(b, FirstMatrixCount, 0); }, false},
    {"animation", "huge counts", "Data/Animations/MaleWalk.anim",
     [](std::string& b) { putU32(b, 0, 0xffffffff); }, false},
    {"animation", "huge matrix count", "Data/Animations/MaleWalk.anim",
     [](std::string& b) { putU32(b, FirstMatrixCount, 0xffffffff); }, false},
    // WAV: the RIFF size at 4, channels at 22, sample rate at 24, the data
    // chunk's size at 40.
    {"WAV", "truncated", "Sounds/Intro.wav", truncateToHalf, false},
    {"WAV", "zeroed counts", "Sounds/Intro.wav",
     [](std::string& b) { putU16(b, 22, 0); putU32(b, 24, 0); putU32(b, 40, 0); }, false},
    {"WAV", "huge counts", "Sounds/Intro.wav",
     [](std::string& b) { putU32(b, 4, 0xffffffff); putU32(b, 40, 0xffffffff); }, false},
    {"WAV", "wrong depth", "Sounds/Intro.wav", [](std::string& b) { putU16(b, 34, 13); }, false},
};

// The rows of the matrix, printed together when the whole set ran in one
// process.
std::vector<std::string>& matrixRows()
{
    static std::vector<std::string> rows;
    return rows;
}

class MatrixPrinter : public ::testing::Environment {
public:
    void TearDown() override
    {
        if (matrixRows().empty())
            return;
        std::printf("\n%-14s %-20s %-8s %s\n", "file kind", "damage", "frames", "notices");
        for (const std::string& row : matrixRows())
            std::printf("%s\n", row.c_str());
    }
};

const auto* const Printer = ::testing::AddGlobalTestEnvironment(new MatrixPrinter);

class DamagedContent : public ::testing::TestWithParam<size_t> {};

TEST_P(DamagedContent, ReadersRefuseOrKeepWhatTheyCanAndTheGameRuns300Frames)
{
    const Damage& damage = Damages[GetParam()];
    ScratchDir copy;
    fs::copy(THORNWICK_RUN_DIR, copy.path(), fs::copy_options::recursive);
    const std::string path = copy.file(damage.file);
    std::string bytes = readWhole(path);
    ASSERT_GT(bytes.size(), 64u) << path;
    damage.apply(bytes);
    writeWhole(path, bytes);

    const GameRun run = runGame(copy.path(), 300);

    char row[512];
    std::snprintf(row, sizeof row, "%-14s %-20s %-8d %s%s", damage.kind, damage.damage, run.frames,
                  describe(run.notices).c_str(), run.status == 0 ? "" : "  (FAILED RUN)");
    matrixRows().push_back(row);
    std::printf("matrix: %s\n", row);

    std::vector<ShownNotice> expected;
    if (damage.imageNotice)
        expected.push_back(imageNotice(damage.file));
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_FALSE(sanitizerReported(run.errors)) << run.errors;
    EXPECT_EQ(run.frames, 300);
    EXPECT_EQ(run.notices, expected) << "shown: " << describe(run.notices);
}

std::string caseName(const ::testing::TestParamInfo<size_t>& info)
{
    std::string name = std::string(Damages[info.param].kind) + "_" + Damages[info.param].damage;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryKindAndDamage, DamagedContent,
                         ::testing::Range<size_t>(0, sizeof Damages / sizeof Damages[0]), caseName);

} // namespace
