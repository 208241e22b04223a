// octaspin-resources DIR: writes the program's resource script
// (DIR/octaspin.rc) and the icon files it names into DIR, for the Windows
// build's resource compiler.
#include "app/resource_script.h"
#include "app/resources.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

bool writeFile(const std::string& path, const char* data, std::size_t size) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(data, static_cast<std::streamsize>(size));
    file.close();
    if (!file) {
        std::fprintf(stderr, "octaspin-resources: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: octaspin-resources DIR\n", stderr);
        return 2;
    }
    const std::string dir = argv[1];
    const platform::ResourceModule& module = octaspinResources();
    for (const auto& icon : module.icons) {
        const std::vector<std::uint8_t> bytes = iconFile(icon);
        if (!writeFile(dir + "/" + iconFileName(icon), reinterpret_cast<const char*>(bytes.data()),
                       bytes.size())) {
            return 1;
        }
    }
    const std::string script = resourceScript(module);
    return writeFile(dir + "/octaspin.rc", script.data(), script.size()) ? 0 : 1;
}
