#pragma once
// The one way our libzip sources are made over a state of their own.

#include <zip.h>

namespace quillary::epub::archive {

// A source answered by `answer` over `state` (made with new, holding a
// zip_error_t `error`), which the source owns from then on: the answer must
// delete it on ZIP_SOURCE_FREE. nullptr, the state deleted, when either
// cannot be made; `error` then says why.
template <class State>
zip_source_t* sourceOwning(State* state, zip_source_callback answer, zip_error_t* error) {
    if (!state) return nullptr;
    zip_error_init(&state->error);
    zip_source_t* source = zip_source_function_create(answer, state, error);
    if (!source) {
        zip_error_fini(&state->error);
        delete state;
    }
    return source;
}

}  // namespace quillary::epub::archive
