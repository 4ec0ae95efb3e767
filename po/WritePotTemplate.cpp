// Writes the translators' template of every resource string the program has (the file named
// by the one argument): the tool behind the build target `pot`.

#include <cstdio>
#include <fstream>

#include "platform/rtlResStrings.h"
#include "platform/rtlTranslations.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <file.pot>\n", argv[0]);
    return 2;
  }
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file << rtl::WritePotTemplate(rtl::AllResourceStrings());
  file.close();
  if (!file) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
