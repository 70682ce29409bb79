#include "Startup.h"

int main(int argc, char** argv) {
    return runStation(argc, argv);
}
