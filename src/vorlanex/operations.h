// The operations that the first word of the command line names. Each returns
// the exit status of the tool.
#pragma once

#include "vorlanex/front_end.h"

namespace vorlanex {

int convert(Session& session, const Words& words);
int configure(Session& session, const Words& words);
int update(Session& session, const Words& words);
int reset(Session& session, const Words& words);
/// Runs the words as commands (or a script they name) on the controller.
int command(Session& session, const Words& words);
/// Prints the controller's identification text (-i).
int identify(Session& session);

}  // namespace vorlanex
