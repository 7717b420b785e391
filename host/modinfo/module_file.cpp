#include "host/modinfo/module_file.h"

#include <cctype>
#include <fstream>
#include <iterator>

namespace modinfo {

namespace {

bool SameTypeName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

const ModuleResource* ModuleFile::Find(const std::string& typeName, int id) const {
    for (const ModuleResource& resource : resources)
        if (resource.id == id && !resource.typeName.empty() && SameTypeName(resource.typeName, typeName))
            return &resource;
    return nullptr;
}

bool ReadModule(const std::vector<std::uint8_t>& file, ModuleFile* module, std::string* error) {
    *module = ModuleFile{};
    if (file.size() >= 4 && file[0] == 0x7F && file[1] == 'E' && file[2] == 'L' && file[3] == 'F')
        return ReadElf(file, module, error);
    if (file.size() >= 2 && file[0] == 'M' && file[1] == 'Z') return ReadPe(file, module, error);
    *error = "not an ELF or PE module";
    return false;
}

bool ReadModuleFile(const std::string& path, ModuleFile* module, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot open " + path;
        return false;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        *error = "cannot read " + path;
        return false;
    }
    if (!ReadModule(bytes, module, error)) {
        *error = path + ": " + *error;
        return false;
    }
    return true;
}

}  // namespace modinfo
