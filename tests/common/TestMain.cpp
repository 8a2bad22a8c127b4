// Test entry point: every test program runs inside a sandbox, a fresh
// temporary root named by ONDELLE_SANDBOX, so that no test touches the real
// home folder, system folders or Trash. HOME and TMPDIR point into it too,
// as a second line of defence for code that reads them directly.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    std::string pattern = (fs::temp_directory_path() / "ondelle-sandbox-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return 2;
    const fs::path root = pattern;
    fs::create_directories(root / "home");
    fs::create_directories(root / "tmp");
    ::setenv("ONDELLE_SANDBOX", root.c_str(), 1);
    ::setenv("HOME", (root / "home").c_str(), 1);
    ::setenv("TMPDIR", (root / "tmp").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root / "home/.local/share").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root / "home/.config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (root / "home/.cache").c_str(), 1);
    fs::create_directories(root / "run");
    fs::permissions(root / "run", fs::perms::owner_all, fs::perm_options::replace);
    ::setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    // Font metrics need a GUI application object, and windows and views a
    // widget application object.
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    std::error_code error;
    if (std::getenv("ONDELLE_KEEP_SANDBOX") == nullptr)
        fs::remove_all(root, error);
    return result;
}
