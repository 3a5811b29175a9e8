// Resources compiled into the program (the built-in register maps), found by resource id.
#pragma once

#include <cstddef>

struct BuiltinResource {
    int id;
    const char* name;
    const unsigned char* data;
    std::size_t size;
};

/// The resource with this id, or null when the program carries none.
const BuiltinResource* FindBuiltinResource(int id);

/// All resources, ended by an entry with id 0.
const BuiltinResource* BuiltinResourceTable();
