#include <iostream>

#include "converter/commandline.h"

int main(int argc, char** argv) { return hmapconvMain(argc, argv, std::cin, std::cout, std::cerr); }
