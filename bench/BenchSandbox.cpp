#include "BenchSandbox.h"

#include <cstdlib>

namespace fs = std::filesystem;

BenchSandbox::BenchSandbox(const char* prefix)
{
    std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return;
    fPath = pattern;
    std::error_code error;
    for (const char* folder : {"home/.local/share", "home/.config", "home/.cache", "tmp", "run"})
        fs::create_directories(fPath / folder, error);
    fs::permissions(fPath / "run", fs::perms::owner_all, fs::perm_options::replace, error);
}

BenchSandbox::~BenchSandbox()
{
    std::error_code error;
    if (!fPath.empty())
        fs::remove_all(fPath, error);
}

std::vector<std::pair<std::string, std::string>> BenchSandbox::Variables() const
{
    return {
        {"ONDELLE_SANDBOX", fPath.string()},
        {"HOME", (fPath / "home").string()},
        {"TMPDIR", (fPath / "tmp").string()},
        {"XDG_DATA_HOME", (fPath / "home/.local/share").string()},
        {"XDG_CONFIG_HOME", (fPath / "home/.config").string()},
        {"XDG_CACHE_HOME", (fPath / "home/.cache").string()},
        {"XDG_RUNTIME_DIR", (fPath / "run").string()},
    };
}
