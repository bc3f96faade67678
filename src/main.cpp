#include "driver/drosk_main.hpp"

int main(int argc, char** argv) {
  return drosk::drosk_main(argc, argv);
}
