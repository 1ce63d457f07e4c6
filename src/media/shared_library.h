#pragma once

#include <dlfcn.h>

namespace sky {

// Points `function` at the symbol `name` of a library opened with dlopen();
// false when the library has no such symbol.
template<typename Function>
bool resolveSymbol(void *library, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

} // namespace sky
