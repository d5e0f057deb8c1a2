// links: lapwren_upload
// Server replies are outside input: any bytes must read as a value or as null, and whatever was
// read must write back out.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "upload/Json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const json::Value value = json::Deserialize(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string text = json::Serialize(value);
    if (value.Type() != json::NullValue && text.empty()) {
        __builtin_trap();
    }
    return 0;
}
