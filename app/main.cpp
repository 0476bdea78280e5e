// tamberlin: the installer's entry point and command line.
#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::cout << "tamberlin " << TAMBERLIN_VERSION << "\n";
    return 0;
  }
  std::cerr << "usage: tamberlin img list|add|replace|extract|check ...\n";
  return 2;
}
