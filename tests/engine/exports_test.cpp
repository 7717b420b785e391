// The library exports exactly the declared functions and variables, under their decorated names,
// from the Linux library and from both Windows libraries (read from their PE export tables).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

// The binding contract: the names a plug-in imports.
const std::set<std::string>& ExpectedExports() {
    static const std::set<std::string> names = {
        // variables
        "ZBuff", "Zheight", "Zwidth", "_Deep", "_DrawBackFaces", "_DrawBackFaces1", "_DrawMode", "_DubleSide",
        "_Persp_Far", "_Persp_Val", "_Persp_x", "_Persp_y", "_Quality", "_UseCustomMats", "_UseGlass",
        "_UseMultyRefract", "_UsePersp", "_UsePhong2", "_UseReflection", "_WireSize", "_mmx_enabled",
        // switches
        "_Z13__SetDrawModeh", "_Z13__GetDrawModev", "_Z12__SetQualityh", "_Z12__GetQualityv", "_Z9__SetDeeph",
        "_Z9__GetDeepv", "_Z14__SetDubleSideh", "_Z14__GetDubleSidev", "_Z18__SetDrawBackFacesh",
        "_Z18__GetDrawBackFacesv", "_Z20__SetUseMultyRefracth", "_Z20__GetUseMultyRefractv", "_Z14__SetUsePhong2h",
        "_Z14__GetUsePhong2v", "_Z13__SetUseGlassh", "_Z13__GetUseGlassv", "_Z18__SetUseCustomMatsh",
        "_Z18__GetUseCustomMatsv", "_Z13__SetUsePersph", "_Z13__GetUsePerspv", "_Z18__SetUseReflectionh",
        "_Z18__GetUseReflectionv",
        // state and utilities
        "_Z13__SetLightDefP8light3ds", "_Z10__SetZBuffPfii", "_Z10__GetZBuffRPfRiS1_",
        "_Z10__AddPerspiP10__Point3dsffff", "_Z6__SortiP13__Triangle3dsP10__Point3ds",
        "_Z18__ConvertBYTE8TO16PPhiii", "_Z18__ConvertBYTE16TO8PPhiii", "_Z13__ConvertTextP9__Texture",
        "_Z13__mmx_presentv",
        "_Z22__SetNewRenderOnePixelPFfffPhS_fffP13__Triangle3dsP11material3dsiRfS4_S4_P7__PointhffP9__Texture"
        "iP8light3dsP10__PrevInfoP9GlassPropffffE",
        "_Z22__SetDefRenderOnePixelv",
        // drawing
        "_Z13__RasterScenePhS_iiiiiP13__Triangle3dsP10__Point3dsiiiP11material3dsP9__TextureiP8light3dsP9GlassProp",
        "_Z13__RasterSolidPhiiiiiP13__Triangle3dsP10__Point3dsiiffff",
        "_Z21__DrawScenesLineColorfiiiPhS_iiiiP13__Triangle3dsP10__Point3dsii",
    };
    return names;
}

std::vector<std::uint8_t> ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t Read32(const std::vector<std::uint8_t>& f, std::size_t at) {
    if (at + 4 > f.size()) return 0;
    return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | static_cast<std::uint32_t>(f[at + 3]) << 24;
}

std::uint16_t Read16(const std::vector<std::uint8_t>& f, std::size_t at) {
    return at + 2 > f.size() ? 0 : static_cast<std::uint16_t>(f[at] | f[at + 1] << 8);
}

// The names in a PE file's export directory; `machine` receives the COFF machine field.
std::set<std::string> PeExports(const std::vector<std::uint8_t>& f, std::uint16_t& machine) {
    std::set<std::string> names;
    std::uint32_t pe = Read32(f, 0x3C);
    if (Read32(f, pe) != 0x4550) return names;  // "PE\0\0"
    machine = Read16(f, pe + 4);
    std::uint16_t sections = Read16(f, pe + 6);
    std::uint16_t optionalSize = Read16(f, pe + 20);
    std::size_t optional = pe + 24;
    bool plus = Read16(f, optional) == 0x20B;
    std::uint32_t exportRva = Read32(f, optional + (plus ? 112 : 96));
    std::size_t sectionTable = optional + optionalSize;
    auto toOffset = [&](std::uint32_t rva) -> std::size_t {
        for (int i = 0; i < sections; ++i) {
            std::size_t s = sectionTable + 40 * i;
            std::uint32_t va = Read32(f, s + 12), size = std::max(Read32(f, s + 8), Read32(f, s + 16));
            if (rva >= va && rva < va + size) return rva - va + Read32(f, s + 20);
        }
        return f.size();
    };
    std::size_t directory = toOffset(exportRva);
    if (exportRva == 0 || directory >= f.size()) return names;
    std::uint32_t count = Read32(f, directory + 24);
    std::size_t nameTable = toOffset(Read32(f, directory + 32));
    for (std::uint32_t i = 0; i < count && i < 10000; ++i) {
        std::size_t at = toOffset(Read32(f, nameTable + 4 * i));
        std::string name;
        while (at < f.size() && f[at] != 0) name += static_cast<char>(f[at++]);
        names.insert(name);
    }
    return names;
}

void ExpectSameNames(const std::set<std::string>& actual, const char* what) {
    for (const auto& name : ExpectedExports()) EXPECT_TRUE(actual.count(name)) << what << " lacks " << name;
    for (const auto& name : actual) {
        // The address sanitizer's build marks each exported variable with an indicator of its own.
        if (name.rfind("__odr_asan.", 0) == 0) continue;
        EXPECT_TRUE(ExpectedExports().count(name)) << what << " also exports " << name;
    }
}

void CheckWindowsLibrary(const char* path, std::uint16_t expectedMachine) {
    std::vector<std::uint8_t> file = ReadFile(path);
    if (file.empty()) GTEST_SKIP() << path << " is not built";
    std::uint16_t machine = 0;
    std::set<std::string> names = PeExports(file, machine);
    EXPECT_EQ(machine, expectedMachine) << path;
    ExpectSameNames(names, path);
}

TEST(Exports, Win32LibraryExportsExactlyTheDeclaredNames) { CheckWindowsLibrary(TRIVANE_WIN32_FILE, 0x14C); }

TEST(Exports, Win64LibraryExportsExactlyTheDeclaredNames) { CheckWindowsLibrary(TRIVANE_WIN64_FILE, 0x8664); }

#if defined(__linux__)
TEST(Exports, LinuxLibraryExportsExactlyTheDeclaredNames) {
    std::string command = std::string("nm -D --defined-only ") + TRIVANE_FILE;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> names;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        std::size_t space = text.rfind(' ');
        if (space != std::string::npos) names.insert(text.substr(space + 1));
    }
    ASSERT_EQ(pclose(pipe), 0) << command;
    ExpectSameNames(names, TRIVANE_FILE);
}
#endif

}  // namespace
