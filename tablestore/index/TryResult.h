#pragma once
// Returns the result of `call` from the enclosing function when it is not success.

#include "tablestore/errors/StoreResult.h"

#define WISPEL_TRY(call)                                                       \
    do {                                                                       \
        if (::wispel::StoreResult tried = (call); tried != ::wispel::storecode::kOk) \
            return tried;                                                      \
    } while (false)
