#pragma once

#include <cstddef>
#include <memory>

// A buffer lent for one read and what is done with its bytes. Every
// connection of a thread reads into the same one, since each hands all it
// read on before it returns to the event loop; a connection that reads while
// another's bytes are still being handed on (a handler that asks the user a
// question runs the event loop) is lent a buffer of its own.
class ReadBuffer {
public:
    static constexpr std::size_t kSize = 64 * 1024;

    ReadBuffer();
    ~ReadBuffer();
    ReadBuffer(const ReadBuffer&) = delete;
    ReadBuffer& operator=(const ReadBuffer&) = delete;

    char* data() const { return bytes_.get(); }

private:
    std::unique_ptr<char[]> bytes_;
};
