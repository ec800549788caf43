#include "assets/animation.h"

#include "assets/asset_tables.h"
#include "platform/notice.h"

#include <new>
#include <sstream>

namespace {

// A frame holds at least its time and its matrix count.
constexpr size_t SmallestFrameBytes = 8 + 4;

bool readMatrices(std::istream& in, uint32_t count, std::vector<Matrix4>& into)
{
    into.reserve(boundedCount(in, count, sizeof(Matrix4)));
    Matrix4 matrix;
    for (uint32_t i = 0; i < count; ++i) {
        in.read(reinterpret_cast<char*>(matrix.data()), sizeof matrix);
        if (in.gcount() != std::streamsize(sizeof matrix))
            return false;
        into.push_back(matrix);
    }
    return true;
}

// What the game treats as a file it could not open: nothing of it was read.
bool cannotBeOpened(ContentFailure failure)
{
    return failure == ContentFailure::Missing || failure == ContentFailure::NotRegular ||
           failure == ContentFailure::Unreadable;
}

ContentFailure readFrames(std::istream& in, std::vector<AnimationFrame>& frames)
{
    uint32_t frameCount = 0;
    if (!readU32(in, frameCount))
        return ContentFailure::Truncated;
    frames.reserve(boundedCount(in, frameCount, SmallestFrameBytes));
    for (uint32_t f = 0; f < frameCount; ++f) {
        double time = 0.0;
        in.read(reinterpret_cast<char*>(&time), sizeof time);
        if (in.gcount() != std::streamsize(sizeof time))
            return ContentFailure::Truncated;
        AnimationFrame& frame = frames.emplace_back();
        frame.time = time;
        uint32_t matrixCount = 0;
        if (!readU32(in, matrixCount) || !readMatrices(in, matrixCount, frame.matrices))
            return ContentFailure::Truncated;
    }
    return ContentFailure::None;
}

}

ContentFailure Animation::read(std::istream& in)
{
    try {
        return readFrames(in, frames);
    } catch (const std::bad_alloc&) {
        frames.clear();
        frames.shrink_to_fit();
        return ContentFailure::OutOfMemory;
    }
}

AnimationLibrary& AnimationLibrary::instance()
{
    static AnimationLibrary* library = new AnimationLibrary;
    return *library;
}

Animation* AnimationLibrary::load(const char* fileName)
{
    for (auto& animation : loaded)
        if (animation->fileName == fileName)
            return animation.get();
    Animation* animation = loaded.emplace_back(std::make_unique<Animation>()).get();
    animation->fileName = fileName;
    std::istringstream in;
    ContentFailure failure = openModelFile(fileName, in);
    if (failure == ContentFailure::None)
        failure = animation->read(in);
    if (failure == ContentFailure::None)
        return animation;
    reportContentFailure(fileName, failure);
    // A file that cannot be opened, or whose frames the memory left cannot
    // hold, shows the animation notice and stays with no frames; a damaged
    // one keeps what it holds, and one too large holds nothing.
    if (cannotBeOpened(failure) || failure == ContentFailure::OutOfMemory)
        showNotice("FileMissing!", std::string("Failed to load animation ") + fileName);
    return animation;
}

Animation* AnimationLibrary::get(AnimationSlot slot) const
{
    if (int(slot) < 0 || int(slot) >= AnimationSlotCount)
        return nullptr;
    return table[slot];
}
