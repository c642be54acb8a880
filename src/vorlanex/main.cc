#include "vorlanex/files.h"
#include "vorlanex/front_end.h"

int main(int argc, char** argv) {
    vorlanex::occupy_closed_standard_streams();
    return vorlanex::run(argc, argv);
}
