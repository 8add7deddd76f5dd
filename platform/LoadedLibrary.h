// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <dlfcn.h>

namespace winorbis {

// A library loaded by name when first needed (dlopen of its SONAME), its calls kept in a table of
// function pointers: sets call to the library's function of that name; false when it has none.
template <typename F> bool resolveCall(void* library, const char* name, F& call) {
    call = reinterpret_cast<F>(dlsym(library, name));
    return call != nullptr;
}

} // namespace winorbis
