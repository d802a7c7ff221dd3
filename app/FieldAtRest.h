#pragma once
// TFieldAtRest: a data control without a widget that remembers the text a field held when
// its row was last at rest (browse state), so that a check before a post can tell a field
// the person changed from one left alone. A row being inserted has no such text: empty.

#include <string>

#include "app/DataSource.h"

namespace wispel {

class TFieldAtRest : public TFieldDataControl {
public:
    const std::string& Text() const noexcept { return text_; }
    void RefreshFromTable() override;

private:
    std::string text_;
};

}  // namespace wispel
