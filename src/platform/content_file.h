// Content files read whole into memory, and the line on standard error that
// names one that failed to load. Every reader of pictures, meshes,
// skeletons, animations and sounds takes its bytes from readContentFile, so
// a device, a FIFO, a directory or a file larger than its kind allows is
// refused before a byte of it is read: nothing blocks and nothing reads
// without end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class ContentFailure {
    None,
    Missing,
    NotRegular,    // a device, FIFO, directory or socket
    TooLarge,      // over its kind's limit
    Unreadable,    // no permission, or the read itself failed
    Truncated,     // ends before what its own counts announce
    WrongFormat,
    OutOfMemory,
    TooLong,       // a sound that would decode past its limit, or past the table's
    Empty,         // a sound of no samples, a picture of no pixels
    TopDown,       // a BMP with its rows stored top-down, which GL would refuse
    TooLargeForGl, // a picture wider or taller than GL's textures
};

// The most a file of each kind may hold: far above any real content.
constexpr size_t PictureFileLimit = size_t(64) << 20;
constexpr size_t SoundFileLimit = size_t(64) << 20;
constexpr size_t ModelFileLimit = size_t(16) << 20;   // meshes, skeletons, animations

// Reads the regular file at path into bytes when it holds at most limit
// bytes. Opens without blocking and judges the file by the descriptor it
// opened, so a file swapped after the check cannot slip past it. On failure
// bytes is empty.
ContentFailure readContentFile(const char* path, size_t limit, std::string& bytes);

// As readContentFile, but reads no more than the first `most` bytes and
// tells the file's whole size: a header can be judged before the rest is
// read.
ContentFailure readContentFileStart(const char* path, size_t limit, size_t most, std::string& bytes,
                                    uint64_t& size);

// "missing", "not a regular file", ...
const char* contentFailureReason(ContentFailure failure);

// "thornwick: PATH: REASON" on standard error, PATH as the game asked for it.
void reportContentFailure(const char* path, ContentFailure failure);
