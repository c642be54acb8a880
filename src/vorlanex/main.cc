#include "vorlanex/front_end.h"

int main(int argc, char** argv) {
    return vorlanex::run(argc, argv);
}
