#include "host/host_string.h"

#include <cstdlib>
#include <cstring>

namespace k7v::host {
namespace {

HostStringHeader* HeaderOf(char* data)
{
    return reinterpret_cast<HostStringHeader*>(data) - 1;
}

char* LoadPointer(const void* object)
{
    char* data = nullptr;
    std::memcpy(&data, object, sizeof data);
    return data;
}

}  // namespace

HostString HostStringCreate(const char* text, int capacity)
{
    const std::size_t length = text ? std::strlen(text) : 0;
    const std::size_t room = length > static_cast<std::size_t>(capacity) ? length : static_cast<std::size_t>(capacity);
    void* block = std::malloc(sizeof(HostStringHeader) + room + 1);
    if (!block) return {nullptr};
    auto* header = static_cast<HostStringHeader*>(block);
    header->refs = 1;
    header->length = static_cast<std::int32_t>(length);
    header->capacity = static_cast<std::int32_t>(room);
    char* data = reinterpret_cast<char*>(header + 1);
    if (length) std::memcpy(data, text, length);
    data[length] = '\0';
    return {data};
}

void HostStringRelease(HostString& s)
{
    if (!s.data) return;
    HostStringHeader* header = HeaderOf(s.data);
    if (header->refs > 0 && --header->refs == 0) std::free(header);
    s.data = nullptr;
}

const char* HostStringText(const HostString& s)
{
    return s.data ? s.data : "";
}

bool HostStringAssign(void* object, const char* text)
{
    const std::size_t length = std::strlen(text);
    char* data = LoadPointer(object);
    if (data) {
        HostStringHeader* header = HeaderOf(data);
        if (header->refs == 1 && static_cast<std::size_t>(header->capacity) >= length) {
            std::memmove(data, text, length + 1);
            header->length = static_cast<std::int32_t>(length);
            return true;
        }
    }
    HostString fresh = HostStringCreate(text);
    if (!fresh.data) return false;
    HostString old{data};
    HostStringRelease(old);
    std::memcpy(object, &fresh.data, sizeof fresh.data);
    return true;
}

const char* HostStringTextAt(const void* object)
{
    char* data = LoadPointer(object);
    return data ? data : "";
}

}  // namespace k7v::host
