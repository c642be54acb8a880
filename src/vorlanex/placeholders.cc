// Operations that are not built yet answer with one error line.
#include <cstdio>

#include "vorlanex/operations.h"

namespace vorlanex {

namespace {
int not_built(const char* name) {
    std::fprintf(stderr, "error: %s is not available in this build yet\n", name);
    return 1;
}
}  // namespace

int convert(Session&, const Words&) { return not_built("convert"); }
int configure(Session&, const Words&) { return not_built("configure"); }
int update(Session&, const Words&) { return not_built("update"); }
int reset(Session&, const Words&) { return not_built("reset"); }
int command(Session&, const Words&) { return not_built("command execution"); }
int identify(Session&) { return not_built("identification"); }

}  // namespace vorlanex
