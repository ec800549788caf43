#include "assets/animation.h"

#include <fstream>
#include <new>

namespace {

// False when the memory ran out for the part list or for a part.
bool readParts(std::istream& in, std::vector<std::unique_ptr<MubModel>>& parts)
{
    uint32_t count = 0;
    if (!readU32(in, count))
        return true;
    // The smallest part is a line feed and a zero count.
    parts.reserve(boundedCount(in, count, 5));
    while (parts.size() < count && in.peek() != std::char_traits<char>::eof()) {
        auto part = std::make_unique<MubModel>();
        if (!part->read(in))
            return false;
        parts.push_back(std::move(part));
        if (!in)
            break;
    }
    return true;
}

}

void Skeleton::read(std::istream& in)
{
    // A body larger than the memory left loads with no parts, as a bones
    // file that cannot be read does; its characters draw nothing.
    bool whole = false;
    try {
        whole = readParts(in, parts);
    } catch (const std::bad_alloc&) {
    }
    if (!whole) {
        parts.clear();
        parts.shrink_to_fit();
    }
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
    std::ifstream in(fileName, std::ios::binary);
    if (in)
        skeleton->read(in);
    skeleton->compileParts();
    skeletons.push_back(skeleton);
    return skeleton;
}
