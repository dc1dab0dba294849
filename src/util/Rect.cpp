#include "Rect.h"

#include <ostream>

std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << '(' << r.left << ',' << r.top << ")-(" << r.right << ',' << r.bottom << ')';
}
