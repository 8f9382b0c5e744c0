#include "engine/ReadBuffer.h"

#include <vector>

namespace {

// The buffers of this thread not lent out. Never zero-filled: pages are
// touched only as data arrives.
std::vector<std::unique_ptr<char[]>>& unlent()
{
    thread_local std::vector<std::unique_ptr<char[]>> buffers;
    return buffers;
}

} // namespace

ReadBuffer::ReadBuffer()
{
    auto& buffers = unlent();
    if (buffers.empty()) {
        bytes_ = std::make_unique_for_overwrite<char[]>(kSize);
    } else {
        bytes_ = std::move(buffers.back());
        buffers.pop_back();
    }
}

ReadBuffer::~ReadBuffer()
{
    unlent().push_back(std::move(bytes_));
}
