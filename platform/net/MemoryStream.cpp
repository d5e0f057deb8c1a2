#include "platform/net/MemoryStream.h"

#include <algorithm>
#include <cstring>

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
    if (count <= 0) {
        return 0;
    }
    const auto end = static_cast<std::size_t>(position_ + count);
    if (end > bytes_.size()) {
        bytes_.resize(end);
    }
    std::memcpy(bytes_.data() + position_, buffer, static_cast<std::size_t>(count));
    position_ += count;
    return count;
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
    const std::int64_t n = std::min(count, Size() - position_);
    if (n <= 0) {
        return 0;
    }
    std::memcpy(buffer, bytes_.data() + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
}

void TMemoryStream::SetPosition(std::int64_t position) {
    position_ = std::max<std::int64_t>(position, 0);
}
