// regsvr32 [/s] [/u] file
// Loads a server module and calls its DllRegisterServer (or, with /u, DllUnregisterServer).
// Exit codes: 0 done, 1 bad arguments, 3 the module cannot be loaded, 4 it lacks the entry
// point, 5 the entry point reported a failure. /s reports nothing; otherwise success goes to
// standard output and failures to standard error.
#include "platform/com/ServerExports.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <unistd.h>

namespace {

enum ExitCode { Done = 0, BadArguments = 1, LoadFailed = 3, NoEntryPoint = 4, CallFailed = 5 };

bool isOption(const char *arg, char letter)
{
    return (arg[0] == '/' || arg[0] == '-') && (arg[1] == letter || arg[1] == letter - 32) &&
           arg[2] == '\0';
}

// Options are a "/" or "-" and one letter; a path may start with "/", so only those two
// characters count as an option.
bool looksLikeOption(const char *arg)
{
    return arg[0] == '-' || (arg[0] == '/' && arg[1] != '\0' && arg[2] == '\0');
}

void usage()
{
    std::fputs("usage: regsvr32 [/s] [/u] file\n"
               "  /u  unregister: call DllUnregisterServer instead of DllRegisterServer\n"
               "  /s  silent: report nothing, answer by the exit code only\n",
               stderr);
}

// The loader would search its own paths for a bare name; a relative path is taken from the
// current folder, and the module then registers that absolute path.
std::string absolutePath(const char *file)
{
    if (file[0] == '/') return file;
    std::string cwd(4096, '\0');
    while (!getcwd(cwd.data(), cwd.size())) {
        if (cwd.size() > (1u << 20)) return file;
        cwd.resize(cwd.size() * 2);
    }
    cwd.resize(std::strlen(cwd.c_str()));
    if (cwd.empty() || cwd.back() != '/') cwd += '/';
    std::string f = file;
    while (f.rfind("./", 0) == 0)
        f.erase(0, 2);
    return cwd + f;
}

} // namespace

int main(int argc, char **argv)
{
    bool silent = false;
    bool unregister = false;
    const char *file = nullptr;
    bool bad = false;
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (isOption(a, 's'))
            silent = true;
        else if (isOption(a, 'u'))
            unregister = true;
        else if (looksLikeOption(a) || a[0] == '\0' || file)
            bad = true;
        else
            file = a;
    }
    if (bad || !file) {
        if (!silent) usage();
        return BadArguments;
    }

    const std::string path = absolutePath(file);
    const char *entry = unregister ? com::DllUnregisterServerName : com::DllRegisterServerName;
    void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char *why = dlerror();
        if (!silent)
            std::fprintf(stderr, "regsvr32: cannot load %s: %s\n", path.c_str(),
                         why ? why : "unknown reason");
        return LoadFailed;
    }
    auto call = reinterpret_cast<com::PFNDLLREGISTERSERVER>(dlsym(module, entry));
    if (!call) {
        if (!silent)
            std::fprintf(stderr, "regsvr32: %s was loaded, but it has no entry point %s\n",
                         path.c_str(), entry);
        return NoEntryPoint;
    }
    const com::HRESULT hr = call();
    if (com::FAILED(hr)) {
        if (!silent)
            std::fprintf(stderr, "regsvr32: %s in %s failed with error 0x%08X\n", entry,
                         path.c_str(), unsigned(hr));
        return CallFailed;
    }
    if (!silent) std::printf("regsvr32: %s in %s succeeded\n", entry, path.c_str());
    // The module is not unloaded: the process ends here anyway.
    return Done;
}
