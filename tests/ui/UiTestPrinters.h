#pragma once
// Readable failure messages for the toolkit's value types.

#include "app/ui/Toolkit.h"

#include <ostream>

namespace ui {

inline void PrintTo(const Rect& r, std::ostream* os) {
  *os << "{" << r.left << ", " << r.top << ", " << r.width << ", " << r.height << "}";
}

inline void PrintTo(const Size& s, std::ostream* os) { *os << "{" << s.width << ", " << s.height << "}"; }

}  // namespace ui
