// The error of an index outside a node's child list.
#pragma once

#include <cstdint>
#include <string>

#include "platform/errors.h"
#include "platform/utf.h"

namespace velnor {

class EListError : public Error {
public:
    using Error::Error;
};

inline EListError MakeListIndexError(std::int32_t index) {
    return EListError(L"リストのインデックスが範囲を超えています (" + IntegerToText(index) + L")");
}

}  // namespace velnor
