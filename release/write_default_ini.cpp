// vornloconaut-default-ini: writes VornLoconaut.ini into the working directory as the plug-in does
// on its first start in the game's folder. Refuses to run where the file already exists, since the
// writer would leave that file as it is.

#include <cstdio>

#include "config/settings.h"
#include "config/writer.h"

namespace {

bool fileExists(const char* name) {
    std::FILE* file = std::fopen(name, "rb");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

}  // namespace

int main() {
    if (fileExists(configurationFileName)) {
        std::fprintf(stderr, "vornloconaut-default-ini: %s already exists here\n", configurationFileName);
        return 1;
    }
    ensureConfigurationFile();
    if (!fileExists(configurationFileName)) {
        std::fprintf(stderr, "vornloconaut-default-ini: cannot write %s here\n", configurationFileName);
        return 1;
    }
    return 0;
}
