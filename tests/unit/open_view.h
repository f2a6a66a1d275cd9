// A view whose state a test sets directly: a window at an exact scale and
// origin, without fitting anything first.
#pragma once
#include "core/view.h"

namespace ravo::test {

struct OpenView : View {
    using View::View;
    ViewState& state() { return v_; }
};

}  // namespace ravo::test
