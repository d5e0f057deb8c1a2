#pragma once
// An in-memory byte stream: writes and reads move a position; writing past the end grows it.

#include <cstdint>
#include <string>

class TMemoryStream {
public:
    // Both answer the number of bytes moved.
    std::int64_t Write(const void* buffer, std::int64_t count);
    std::int64_t Read(void* buffer, std::int64_t count);

    std::int64_t Position() const { return position_; }
    void SetPosition(std::int64_t position);
    std::int64_t Size() const { return static_cast<std::int64_t>(bytes_.size()); }
    const char* Memory() const { return bytes_.data(); }

private:
    std::string bytes_;
    std::int64_t position_ = 0;
};
