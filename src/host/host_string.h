// Our stand-in for the string objects of the class library that the host and the plug-in share.
//
// A string object is a single pointer to its zero-terminated characters; a header sits right before
// the characters with a reference count, the length and the capacity. A null pointer is the empty
// string. A reference count below 0 marks a string the host locked or keeps in static storage: it
// is never freed or written in place. Blocks are taken from the C heap that both sides share.
#pragma once

#include <cstdint>

namespace k7v::host {

struct HostStringHeader {
    std::int32_t refs;
    std::int32_t length;
    std::int32_t capacity;  // characters, not counting the terminator
};

// A string object as it crosses the host boundary by value (for example into SetProName).
struct HostString {
    char* data;
};

// Makes a new string object holding a copy of text, with room for at least `capacity` characters.
// Returns {nullptr} when the heap is exhausted.
HostString HostStringCreate(const char* text, int capacity = 0);

// Drops one reference; frees the block when no reference is left.
void HostStringRelease(HostString& s);

// The characters of a string object; never null.
const char* HostStringText(const HostString& s);

// Replaces the whole content of the string object stored at `object` (the address of its pointer,
// which need not be aligned). Writes in place when the block is ours alone and large enough, so a
// host string with room for the text costs no allocation. Returns false only when a new block was
// needed and could not be had; the old content then stays.
bool HostStringAssign(void* object, const char* text);

// Reads the characters of the string object stored at `object`; never null.
const char* HostStringTextAt(const void* object);

}  // namespace k7v::host
