#include "assets/animation.h"

#include <fstream>

void Skeleton::read(std::istream& in)
{
    uint32_t count = 0;
    if (!readU32(in, count))
        return;
    // The smallest part is a line feed and a zero count.
    parts.reserve(boundedCount(in, count, 5));
    while (parts.size() < count && in.peek() != std::char_traits<char>::eof()) {
        auto part = std::make_unique<MubModel>();
        part->read(in);
        parts.push_back(std::move(part));
        if (!in)
            break;
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
