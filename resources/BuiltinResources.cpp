#include "resources/BuiltinResources.h"

const BuiltinResource* FindBuiltinResource(int id)
{
    for (const BuiltinResource* r = BuiltinResourceTable(); r->id != 0; ++r)
        if (r->id == id)
            return r;
    return nullptr;
}
