// What a process of the native tool starts with and the browser's runtime
// lacks. Emscripten's C library starts with a file creation mask of 0777,
// which would leave every file the tool writes without permissions; a
// process started from a shell has 022.
#include <sys/stat.h>

namespace {

const bool kMaskSet = [] {
    ::umask(022);
    return true;
}();

}  // namespace
