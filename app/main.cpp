// Program entry: the program context, the start steps, the login window, the event loop.

#include "app/startup.h"

int main(int argc, char** argv) {
    return rx::runProgram(argc, argv, rx::Build::Standalone);
}
