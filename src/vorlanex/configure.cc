#include <cstdio>

#include "vorlanex/operations.h"

namespace vorlanex {

// Not built yet: answers with one error line.
int configure(Session&, const Words&) {
    std::fputs("error: configure is not available in this build yet\n", stderr);
    return 1;
}

}  // namespace vorlanex
