#include "EngineModules.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>
#include <system_error>

namespace Platform::EngineModules {

namespace {

std::mutex& modulesMutex() {
    static std::mutex mutex;
    return mutex;
}

// What opening each module gave, by file name: its handle, or null with the reason.
struct Opened {
    void* handle = nullptr;
    std::string error;
};

std::map<std::string, Opened>& openedModules() {
    static std::map<std::string, Opened> modules;
    return modules;
}

} // namespace

std::filesystem::path directory() {
    if (const char* chosen = std::getenv(kDirectoryVariable); chosen && *chosen)
        return chosen;
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path beside =
            (program.parent_path() / QS_MODULES_FROM_PROGRAM).lexically_normal();
        if (std::filesystem::is_directory(beside, error))
            return beside;
    }
    return QS_INSTALLED_MODULE_DIR;
}

void* entry(const char* fileName, const char* symbol, std::string& error) {
    const std::lock_guard lock(modulesMutex());
    auto [found, isNew] = openedModules().try_emplace(fileName);
    Opened& module = found->second;
    if (isNew) {
        const std::filesystem::path path = directory() / fileName;
        // Local: the module's libraries serve it alone. Never closed: objects it made may live until
        // the process ends, and its thread-local engines are released only when their threads end.
        module.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module.handle)
            module.error = dlerror();
    }
    if (!module.handle) {
        error = module.error;
        return nullptr;
    }
    dlerror();
    void* address = dlsym(module.handle, symbol);
    if (!address) {
        const char* reason = dlerror();
        error = reason ? reason : std::string(symbol) + " is missing";
    }
    return address;
}

void reportUnavailable(const char* fileName, const std::string& error, const char* consequence) {
    static std::mutex mutex;
    static std::set<std::string> reported;
    const std::lock_guard lock(mutex);
    if (reported.insert(fileName).second)
        std::fprintf(stderr, "Quillstack: %s is unavailable (%s); %s\n", fileName, error.c_str(), consequence);
}

} // namespace Platform::EngineModules
