#include <cstdio>

#include "vorlanex/operations.h"

namespace vorlanex {

// Not built yet: answer with one error line.
int reset(Session&, const Words&) {
    std::fputs("error: reset is not available in this build yet\n", stderr);
    return 1;
}

int identify(Session&) {
    std::fputs("error: identification is not available in this build yet\n", stderr);
    return 1;
}

}  // namespace vorlanex
