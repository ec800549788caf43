// Animation reader and playback: any bytes as an animation file, then a
// model with as many parts as the first frame has matrices plays, advances
// and poses it, so short frames and odd frame counts meet the player.
#include "assets/animation.h"
#include "fuzz_input.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto seekable = seekableStream(data, size);
    Animation animation;
    animation.read(seekable);
    size_t matrices = 0;
    for (const AnimationFrame& frame : animation.frames)
        matrices += frame.matrices.size();
    // A frame is kept once its 8-byte time is read, after the 4-byte count.
    FUZZ_CHECK(animation.frames.empty() || 4 + animation.frames.size() * 8 + matrices * 64 <= size);

    UnseekableBytes bytes(data, size);
    std::istream pipe(&bytes);
    Animation fromPipe;
    fromPipe.read(pipe);
    FUZZ_CHECK(fromPipe.frames.size() == animation.frames.size());

    // Parts: one more than the first frame's matrices, capped to stay cheap.
    size_t partCount = animation.frames.empty() ? 2 : animation.frames[0].matrices.size() + 1;
    if (partCount > 64)
        partCount = 64;
    std::vector<std::unique_ptr<MubModel>> parts;
    for (size_t i = 0; i < partCount; ++i)
        parts.push_back(std::make_unique<MubModel>());
    AnimatedModel model;
    model.parts = &parts;
    model.pose.resize(partCount);
    model.drawPose.resize(partCount);

    // The last bytes choose the steps, so the corpus steers the playback.
    float dt = 0.3f;
    if (size >= 4)
        std::memcpy(&dt, data + size - 4, 4);
    Animation other;
    model.play(&other, PlayLoop, 1.0f);
    model.play(&animation, size % 2 ? PlayLoop : PlayOnce, 2.0f);
    for (int tick = 0; tick < 8; ++tick) {
        model.advance(tick % 3 ? dt : 0.0f);
        model.computePose();
        int frames = int(animation.frames.size());
        if (frames > 0) {
            FUZZ_CHECK(model.currentFrame >= 0 && model.currentFrame < frames);
            FUZZ_CHECK(model.nextFrame >= 0 && model.nextFrame < frames);
        }
    }
    return 0;
}
