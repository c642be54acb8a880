#include "language/render.h"

#include <cstdio>

namespace vorlanex {

// Not built yet: rendering fails with one error line.
bool Config_print(const Config&, std::string&) {
    std::fputs("error: configuration text is not available in this build yet\n", stderr);
    return false;
}

}  // namespace vorlanex
