#pragma once
// The dataset's field types against the engine's type codes and subtypes stored in a
// table's column descriptors, both ways.

#include <cstdint>
#include <optional>

#include "tablestore/component/StoreFieldDef.h"

namespace wispel {

struct TEngineFieldType {
    std::uint8_t type = 0;
    std::uint8_t subtype = 0;
};

// The engine type a new column of `type` gets; none for types the engine cannot store.
std::optional<TEngineFieldType> engineTypeOf(TStoreFieldType type);
// The field type of a stored column; ftUnknown for columns the dataset does not show.
TStoreFieldType fieldTypeOf(std::uint8_t engineType, std::uint8_t subtype);

}  // namespace wispel
