#include "assets/animation.h"

#include <new>
#include <sstream>

namespace {

ContentFailure readParts(std::istream& in, std::vector<std::unique_ptr<MubModel>>& parts)
{
    uint32_t count = 0;
    if (!readU32(in, count))
        return ContentFailure::Truncated;
    // The smallest part is a line feed and a zero count.
    parts.reserve(boundedCount(in, count, 5));
    while (parts.size() < count && in.peek() != std::char_traits<char>::eof()) {
        auto part = std::make_unique<MubModel>();
        const ContentFailure failure = part->read(in);
        if (failure == ContentFailure::OutOfMemory)
            return failure;
        parts.push_back(std::move(part));
        if (failure != ContentFailure::None)
            return failure;
    }
    return parts.size() < count ? ContentFailure::Truncated : ContentFailure::None;
}

}

ContentFailure Skeleton::read(std::istream& in)
{
    // A body larger than the memory left loads with no parts, as a bones
    // file that cannot be read does; its characters draw nothing.
    ContentFailure failure = ContentFailure::OutOfMemory;
    try {
        failure = readParts(in, parts);
    } catch (const std::bad_alloc&) {
    }
    if (failure == ContentFailure::OutOfMemory) {
        parts.clear();
        parts.shrink_to_fit();
    }
    return failure;
}

void Skeleton::compileParts()
{
    for (auto& part : parts)
        part->compile();
}

namespace {

std::vector<Skeleton*>& cachedSkeletons()
{
    static auto* skeletons = new std::vector<Skeleton*>;
    return *skeletons;
}

}

Skeleton* SkeletonCache::get(const char* fileName)
{
    auto& skeletons = cachedSkeletons();
    for (Skeleton* skeleton : skeletons)
        if (skeleton->fileName == fileName)
            return skeleton;
    auto* skeleton = new Skeleton;
    skeleton->fileName = fileName;
    std::istringstream in;
    ContentFailure failure = openModelFile(fileName, in);
    if (failure == ContentFailure::None)
        failure = skeleton->read(in);
    if (failure != ContentFailure::None)
        reportContentFailure(fileName, failure);
    skeleton->compileParts();
    skeletons.push_back(skeleton);
    return skeleton;
}
