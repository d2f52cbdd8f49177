#include <iostream>

#include "converter/conversion.h"

int main() { return runConversion(std::cin, std::cout, std::cerr); }
