// Stands in for the main program in the tests: writes its arguments (after its own name), each
// followed by a NUL, to the file that QUORVA_TEST_ARGV_FILE names, through a temporary file and
// a rename so that a reader never sees half of it.
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    const char *target = std::getenv("QUORVA_TEST_ARGV_FILE");
    if (!target) return 2;
    const std::string temp = std::string(target) + ".part";
    FILE *f = std::fopen(temp.c_str(), "wb");
    if (!f) return 3;
    for (int i = 1; i < argc; ++i) {
        std::fputs(argv[i], f);
        std::fputc('\0', f);
    }
    if (std::fclose(f) != 0) return 4;
    return std::rename(temp.c_str(), target) == 0 ? 0 : 5;
}
