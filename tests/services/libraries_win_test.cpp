#include "services/libraries.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

std::string Lowered(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string ModulePath(HMODULE module) {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(module, path, sizeof path);
    return path;
}

std::string OwnFolder() {
    std::string path = ModulePath(nullptr);
    return path.substr(0, path.rfind('\\') + 1);
}

bool IsPlanted(HMODULE module) {
    return GetProcAddress(module, "PlantedMarker") != nullptr;
}

TEST(Libraries, SlotsHoldLibrariesAndAnswerLookUps) {
    void* library = BindLibrary(0, "Psapi.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_NE(LookUpLibraryFunction(0, "GetProcessMemoryInfo"), nullptr);
    EXPECT_EQ(LookUpLibraryFunction(0, "NoSuchExport"), nullptr);
    EXPECT_EQ(LookUpLibraryFunction(0, ""), nullptr);
    EXPECT_EQ(LookUpLibraryFunction(0, nullptr), nullptr);
    EXPECT_EQ(LookUpLibraryFunction(1, "GetProcessMemoryInfo"), nullptr) << "empty slot";
    EXPECT_EQ(LookUpLibraryFunction(-1, "GetProcessMemoryInfo"), nullptr);
    EXPECT_EQ(LookUpLibraryFunction(LibrarySlots, "GetProcessMemoryInfo"), nullptr);

    EXPECT_EQ(BindLibrary(1, ""), nullptr);
    EXPECT_EQ(BindLibrary(1, nullptr), nullptr);
    EXPECT_EQ(BindLibrary(1, "no_such_library_here.dll"), nullptr);
    EXPECT_EQ(BindLibrary(LibrarySlots, "Psapi.dll"), nullptr);

    ReleaseAllLibraries();
    EXPECT_EQ(LookUpLibraryFunction(0, "GetProcessMemoryInfo"), nullptr);
}

// A Psapi.dll lies in this program's folder. Bound by its bare name, the
// system's own must be loaded all the same; bound by its path, the file given.
TEST(Libraries, BareNameNeverLoadsAFileBesideTheProgram) {
    const std::string planted = OwnFolder() + "Psapi.dll";
    ASSERT_NE(GetFileAttributesA(planted.c_str()), INVALID_FILE_ATTRIBUTES);

    auto* bound = static_cast<HMODULE>(BindLibrary(0, "Psapi.dll"));
    ASSERT_NE(bound, nullptr);
    EXPECT_FALSE(IsPlanted(bound)) << "loaded " << ModulePath(bound);
    char system[MAX_PATH + 1] = {};
    GetSystemDirectoryA(system, sizeof system);
    EXPECT_EQ(Lowered(ModulePath(bound)).rfind(Lowered(system), 0), 0u) << ModulePath(bound);
    ReleaseAllLibraries();

    // Where the system cannot be asked for its folder by a flag, the full path.
    auto* byFullPath = static_cast<HMODULE>(LoadSystemLibraryByPath("Psapi.dll"));
    ASSERT_NE(byFullPath, nullptr);
    EXPECT_FALSE(IsPlanted(byFullPath)) << "loaded " << ModulePath(byFullPath);
    FreeLibrary(byFullPath);

    // The plant is real: the ordinary search does take it here.
    HMODULE ordinary = LoadLibraryA("Psapi.dll");
    ASSERT_NE(ordinary, nullptr);
    EXPECT_TRUE(IsPlanted(ordinary)) << "the ordinary search loaded " << ModulePath(ordinary);
    FreeLibrary(ordinary);

    auto* byPath = static_cast<HMODULE>(BindLibrary(2, planted.c_str()));
    ASSERT_NE(byPath, nullptr);
    EXPECT_TRUE(IsPlanted(byPath));
    ReleaseAllLibraries();
}

} // namespace
