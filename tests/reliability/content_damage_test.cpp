// The game against missing, damaged and hostile content: every case runs the
// headless game (reliability_game_runner) in a scratch directory, as its own
// process, so that each starts with empty caches and a world not yet built,
// and so that a crash, a hang or a sanitizer report fails only that case.
// Every run ends with Escape, which must end the game with status 0.
#include "support/gl_context.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

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
    double runningAfter = -1.0;  // seconds to the first running frame
    long peakKiB = 0;            // the largest resident size of the run
    std::vector<ShownNotice> notices;
    std::string errors;  // standard error
    std::vector<std::string> failedFiles;  // its "thornwick: FILE: REASON" lines, sorted
};

std::vector<std::string> contentFailureLines(const std::string& errors)
{
    std::vector<std::string> lines;
    std::istringstream in(errors);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("thornwick: ", 0) == 0 && line.find("running without sound") == std::string::npos)
            lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string failedFileLine(const std::string& file, const std::string& reason)
{
    return "thornwick: " + file + ": " + reason;
}

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
        } else if (text.rfind("running after ", 0) == 0) {
            run.runningAfter = std::atof(text.c_str() + 14);
        }
    }
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
    // Each case runs in a test process of its own, so its children are this run.
    rusage children {};
    getrusage(RUSAGE_CHILDREN, &children);
    run.peakKiB = children.ru_maxrss;
    run.errors = readWhole(errorFile);
    run.failedFiles = contentFailureLines(run.errors);
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

    // Every content file the game reads, whatever its kind, is named once;
    // the key's jingle is read only when a key is found.
    std::vector<std::string> named;
    for (const char* dir : {"Images", "Data", "Sounds"})
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(THORNWICK_RUN_DIR) / dir)) {
            const std::string file = entry.path().lexically_relative(THORNWICK_RUN_DIR).generic_string();
            if (entry.is_regular_file() && file != "Sounds/FoundKey.wav")
                named.push_back(failedFileLine(file, "missing"));
        }
    std::sort(named.begin(), named.end());

    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_FALSE(sanitizerReported(run.errors)) << run.errors;
    EXPECT_EQ(run.frames, 1000);
    EXPECT_EQ(run.notices, expected) << "shown: " << describe(run.notices);
    EXPECT_EQ(run.failedFiles, named) << run.errors;
}

// One damaged content file: which file, how it is damaged, whether its
// reader refuses it with the image notice, and the reason the game gives on
// standard error (none where the file loads as it is).
struct Damage {
    const char* kind;
    const char* damage;
    const char* file;
    std::function<void(std::string&)> apply;
    bool imageNotice;
    const char* reason = nullptr;
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
    {"BMP", "truncated", "Images/Orc.bmp", truncateToHalf, true, "truncated"},
    {"BMP", "zeroed counts", "Images/Orc.bmp",
     [](std::string& b) { putU32(b, 18, 0); putU32(b, 22, 0); }, true, "empty"},
    {"BMP", "top-down", "Images/Orc.bmp", [](std::string& b) { putU32(b, 22, uint32_t(-256)); }, true,
     "stored top-down"},
    {"BMP", "huge counts", "Images/Orc.bmp",
     [](std::string& b) {
         putU32(b, 18, 0x7fffffff);
         putU32(b, 22, 0x7fffffff);
         putU32(b, 34, 0xffffffff);
     },
     true, "wrong format"},
    // 12 GiB of pixels by either count: the unpadded one it states falls
    // short of the padded rows GL reads; the padded one, of the file.
    {"BMP", "65535 x 65535", "Images/Orc.bmp",
     [](std::string& b) { putU32(b, 18, 0xffff); putU32(b, 22, 0xffff); putU32(b, 34, 0); }, true, "wrong format"},
    {"BMP", "65532 x 65535", "Images/Orc.bmp",
     [](std::string& b) { putU32(b, 18, 65532); putU32(b, 22, 0xffff); putU32(b, 34, 0); }, true, "truncated"},
    {"BMP", "wrong depth", "Images/Orc.bmp", [](std::string& b) { putU16(b, 28, 32); }, true, "wrong format"},
    // TGA: width at 12, height at 14, depth at 16.
    {"TGA", "truncated", "Images/Fire.tga", truncateToHalf, true, "truncated"},
    {"TGA", "zeroed counts", "Images/Fire.tga",
     [](std::string& b) { putU16(b, 12, 0); putU16(b, 14, 0); }, true, "empty"},
    {"TGA", "wider than GL takes", "Images/Fire.tga",
     [](std::string& b) {
         putU16(b, 12, 0xffff);
         putU16(b, 14, 1);
         b[16] = 8;
         b.resize(18 + 0xffff);
     },
     true, "too large for a texture"},
    {"TGA", "huge counts", "Images/Fire.tga",
     [](std::string& b) { putU16(b, 12, 0xffff); putU16(b, 14, 0xffff); }, true, "truncated"},
    {"TGA", "wrong depth", "Images/Fire.tga", [](std::string& b) { b[16] = 16; }, true, "wrong format"},
    // The cottage mesh: a name line, then the vertex count.
    {"cottage mesh", "truncated", "Data/Objects/Cottage.mub", truncateToHalf, false, "truncated"},
    {"cottage mesh", "zeroed counts", "Data/Objects/Cottage.mub",
     [](std::string& b) { putU32(b, meshCountAt(b, 0), 0); }, false},
    {"cottage mesh", "huge counts", "Data/Objects/Cottage.mub",
     [](std::string& b) { putU32(b, meshCountAt(b, 0), 0xffffffff); }, false, "truncated"},
    // Bones: the part count, then the parts as meshes.
    {"bones", "truncated", "Data/Bones/MaleBones.mub", truncateToHalf, false, "truncated"},
    {"bones", "zeroed counts", "Data/Bones/MaleBones.mub", [](std::string& b) { putU32(b, 0, 0); }, false},
    {"bones", "huge counts", "Data/Bones/MaleBones.mub",
     [](std::string& b) { putU32(b, 0, 0xffffffff); }, false, "truncated"},
    {"bones", "huge vertex count", "Data/Bones/MaleBones.mub",
     [](std::string& b) { putU32(b, meshCountAt(b, 4), 0xffffffff); }, false, "truncated"},
    // Animation: the frame count, then per frame a time, a matrix count and
    // the matrices.
    {"animation", "truncated", "Data/Animations/MaleWalk.anim", truncateToHalf, false, "truncated"},
    {"animation", "zeroed counts", "Data/Animations/MaleWalk.anim",
     [](std::string& b) { putU32(b, 0, 0); }, false},
    {"animation", "zeroed matrix count", "Data/Animations/MaleWalk.anim",
     [](std::string& b) { putU32(b, FirstMatrixCount, 0); }, false, "truncated"},
    {"animation", "huge counts", "Data/Animations/MaleWalk.anim",
     [](std::string& b) { putU32(b, 0, 0xffffffff); }, false, "truncated"},
    {"animation", "huge matrix count", "Data/Animations/MaleWalk.anim",
     [](std::string& b) { putU32(b, FirstMatrixCount, 0xffffffff); }, false, "truncated"},
    // WAV: the RIFF size at 4, channels at 22, sample rate at 24, the data
    // chunk's size at 40. The mixer plays a file cut short, or one that
    // claims more than it holds, as far as it goes; either is named.
    {"WAV", "truncated", "Sounds/Intro.wav", truncateToHalf, false, "truncated"},
    {"WAV", "zeroed counts", "Sounds/Intro.wav",
     [](std::string& b) { putU16(b, 22, 0); putU32(b, 24, 0); putU32(b, 40, 0); }, false, "wrong format"},
    {"WAV", "no samples", "Sounds/Intro.wav", [](std::string& b) { putU32(b, 40, 0); b.resize(44); }, false,
     "empty"},
    {"WAV", "huge counts", "Sounds/Intro.wav",
     [](std::string& b) { putU32(b, 4, 0xffffffff); putU32(b, 40, 0xffffffff); }, false, "truncated"},
    {"WAV", "wrong depth", "Sounds/Intro.wav", [](std::string& b) { putU16(b, 34, 13); }, false, "wrong format"},
};

// What a run may take to reach the running world, and at its peak.
#if defined(__SANITIZE_ADDRESS__)
constexpr double RunningWithin = 60.0;   // seconds; the sanitizers slow the world build
constexpr long PeakWithinKiB = 1024 * 1024;
#else
constexpr double RunningWithin = 10.0;
constexpr long PeakWithinKiB = 300 * 1024;
#endif

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
    std::vector<std::string> named;
    if (damage.reason)
        named.push_back(failedFileLine(damage.file, damage.reason));
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_FALSE(sanitizerReported(run.errors)) << run.errors;
    EXPECT_EQ(run.frames, 300);
    EXPECT_EQ(run.notices, expected) << "shown: " << describe(run.notices);
    EXPECT_EQ(run.failedFiles, named) << run.errors;
    // Counts from a header are weighed before anything is allocated for them.
    EXPECT_LT(run.peakKiB, PeakWithinKiB);
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

// Content that never ends or never comes: a device, a FIFO, a directory or a
// sparse file far larger than any content, in place of one file of every
// kind. Refused unread, each is named on standard error; the pictures show
// their notice, the animation the notice of a file that cannot be opened
// (or, too large, none, as a damaged animation), and the game runs.
struct Hostile {
    const char* form;
    const char* reason;
    std::function<void(const std::string&)> make;
    bool everySound = false;   // in place of every sound rather than of one file of each kind
};

void linkTo(const std::string& path, const char* target)
{
    fs::remove(path);
    fs::create_symlink(target, path);
}

void makeFifo(const std::string& path)
{
    fs::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0) << path;
}

void makeDirectory(const std::string& path)
{
    fs::remove(path);
    fs::create_directory(path);
}

void makeSparse(const std::string& path)
{
    const int file = open(path.c_str(), O_WRONLY | O_TRUNC);
    ASSERT_GE(file, 0) << path;
    EXPECT_EQ(ftruncate(file, off_t(4) << 30), 0) << path;
    close(file);
}

// A WAV header over a sparse data chunk of dataBytes.
void makeSparseWav(const std::string& path, uint16_t channels, uint32_t rate, uint16_t bits, uint32_t dataBytes)
{
    std::string header = "RIFF";
    putU32(header, 4, 36 + dataBytes);
    header += "WAVEfmt ";
    putU32(header, 16, 16);
    putU16(header, 20, 1);
    putU16(header, 22, channels);
    putU32(header, 24, rate);
    putU32(header, 28, rate * channels * bits / 8);
    putU16(header, 32, uint16_t(channels * bits / 8));
    putU16(header, 34, bits);
    header += "data";
    putU32(header, 40, dataBytes);
    writeWhole(path, header);
    ASSERT_EQ(truncate(path.c_str(), off_t(header.size()) + dataBytes), 0) << path;
}

void editFile(const std::string& path, const std::function<void(std::string&)>& edit)
{
    std::string bytes = readWhole(path);
    edit(bytes);
    writeWhole(path, bytes);
}

constexpr uint32_t SixtyMB = 60u << 20;

const Hostile HostileForms[] = {
    {"/dev/zero", "not a regular file", [](const std::string& p) { linkTo(p, "/dev/zero"); }},
    {"/dev/urandom", "not a regular file", [](const std::string& p) { linkTo(p, "/dev/urandom"); }},
    {"FIFO", "not a regular file", makeFifo},
    {"directory", "not a regular file", makeDirectory},
    {"4 GiB sparse", "too large", makeSparse},
    // Forms only a sound takes, in every sound's place: small files that
    // would decode to gigabytes, and headers the mixer cannot convert from.
    {"WAV at 1 Hz", "too long",
     [](const std::string& p) { editFile(p, [](std::string& b) { putU32(b, 24, 1); putU32(b, 28, 2); }); }, true},
    {"WAV 60 MB 8 kHz 8-bit", "too long", [](const std::string& p) { makeSparseWav(p, 1, 8000, 8, SixtyMB); },
     true},
    {"WAV 60 MB 6 channels", "too long", [](const std::string& p) { makeSparseWav(p, 6, 48000, 16, SixtyMB); },
     true},
    {"WAV at rate 0", "wrong format",
     [](const std::string& p) { editFile(p, [](std::string& b) { putU32(b, 24, 0); putU32(b, 28, 0); }); }, true},
    {"WAV claims 4 GiB", "truncated",
     [](const std::string& p) {
         editFile(p, [](std::string& b) { putU32(b, 4, 0xffffffff); putU32(b, 40, 0xffffffff); });
     },
     true},
};

const char* const HostileFiles[] = {"Images/Fire.tga", "Images/Cottage.bmp", "Data/Objects/Cottage.mub",
                                    "Data/Bones/MaleBones.mub", "Data/Animations/MaleWalk.anim",
                                    "Sounds/Wind.wav"};

class HostileContent : public ::testing::TestWithParam<size_t> {};

TEST_P(HostileContent, IsRefusedUnreadAndTheGameRunsAndEndsOnEscape)
{
    const Hostile& hostile = HostileForms[GetParam()];
    ScratchDir copy;
    fs::copy(THORNWICK_RUN_DIR, copy.path(), fs::copy_options::recursive);
    std::vector<std::string> files(std::begin(HostileFiles), std::end(HostileFiles));
    if (hostile.everySound) {
        files.clear();
        for (const auto& entry : fs::directory_iterator(copy.file("Sounds")))
            files.push_back("Sounds/" + entry.path().filename().string());
    }
    std::vector<std::string> named;
    for (const std::string& file : files) {
        hostile.make(copy.file(file));
        // The key's jingle is read only when a key is found.
        if (file != "Sounds/FoundKey.wav")
            named.push_back(failedFileLine(file, hostile.reason));
    }
    std::sort(named.begin(), named.end());
    ASSERT_GE(named.size(), hostile.everySound ? 14u : 6u);

    const GameRun run = runGame(copy.path(), 300);

    char row[512];
    std::snprintf(row, sizeof row, "%-14s %-20s %-8d %s  (running after %.1f s, peak %ld MiB)",
                  hostile.everySound ? "every sound" : "every kind",
                  hostile.form, run.frames, describe(run.notices).c_str(), run.runningAfter, run.peakKiB / 1024);
    matrixRows().push_back(row);
    std::printf("matrix: %s\n", row);

    std::vector<ShownNotice> expected = {imageNotice("Images/Fire.tga"), imageNotice("Images/Cottage.bmp")};
    if (std::string(hostile.reason) != "too large")
        expected.push_back(animationNotice("Data/Animations/MaleWalk.anim"));
    if (hostile.everySound)
        expected.clear();
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_FALSE(sanitizerReported(run.errors)) << run.errors;
    EXPECT_EQ(run.frames, 300);
    EXPECT_EQ(run.notices, expected) << "shown: " << describe(run.notices);
    EXPECT_EQ(run.failedFiles, named) << run.errors;
    EXPECT_GE(run.runningAfter, 0.0);
    EXPECT_LT(run.runningAfter, RunningWithin);
    EXPECT_LT(run.peakKiB, PeakWithinKiB);
}

std::string formName(const ::testing::TestParamInfo<size_t>& info)
{
    std::string name = HostileForms[info.param].form;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryForm, HostileContent,
                         ::testing::Range<size_t>(0, sizeof HostileForms / sizeof HostileForms[0]), formName);

} // namespace
