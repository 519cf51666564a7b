#include <clocale>

#include "cli/Application.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    return quillary::runCommandLine(std::vector<std::string>(argv + 1, argv + argc));
}
