#pragma once

#include <filesystem>
#include <string>

namespace Platform::EngineModules {

// The heavy engines (JavaScriptCore for highlighting, Tesseract for recognition, Qt Network for
// remote pictures) are not linked into the program: each sits in a shared module of our own,
// opened the first time the engine is needed, so a start loads none of them. A module exposes one
// C entry that makes an object implementing an interface the program already has.

// The variable that names another folder to look for the modules in (tests point it at an empty
// one to see the program do without them).
inline constexpr char kDirectoryVariable[] = "QUILLSTACK_MODULE_DIR";

// Where the modules are looked for: the folder the variable names when it is set, else lib/quillstack
// relative to the program file (as installed and in the build tree), else the installed folder.
std::filesystem::path directory();

// The entry `symbol` of module `fileName`, opened on the first call and kept loaded for the rest of
// the process. Null when the module or its entry cannot be had; `error` then says why. Safe to call
// from any thread.
void* entry(const char* fileName, const char* symbol, std::string& error);

// Says once per module on standard error that an engine is unavailable and what the program does
// without it.
void reportUnavailable(const char* fileName, const std::string& error, const char* consequence);

// The entry of a module as a function of the given type.
template <typename Function>
Function entryAs(const char* fileName, const char* symbol, std::string& error) {
    return reinterpret_cast<Function>(entry(fileName, symbol, error));
}

} // namespace Platform::EngineModules
