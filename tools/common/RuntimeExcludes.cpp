#include "RuntimeExcludes.h"

#include <cstring>

namespace {

// Names up to ".so": a library matches when its name is one of these
// followed by ".so" (and any version).
constexpr const char* kSystemLibraries[] = {
    // The C library and the loader: always the machine's own.
    "ld-linux-x86-64", "libc", "libm", "libpthread", "libdl", "librt", "libresolv", "libutil", "libanl",
    "libmvec", "libnss_files", "libnss_dns",
    // The compiler's runtime, shared with the graphics drivers.
    "libstdc++", "libgcc_s",
    // Graphics: the drivers behind these belong to the machine.
    "libGL", "libEGL", "libGLX", "libOpenGL", "libGLdispatch", "libGLESv2", "libdrm", "libgbm", "libvulkan",
    // The X11 and Wayland client libraries talk to the machine's display
    // server; xkbcommon reads the machine's keyboard descriptions.
    "libX11", "libX11-xcb", "libXau", "libXdmcp", "libXext", "libXrender", "libXi", "libXfixes", "libXcursor",
    "libXrandr", "libXinerama", "libxshmfence", "libxkbcommon", "libxkbcommon-x11", "libwayland-client",
    "libwayland-cursor", "libwayland-egl", "libwayland-server",
    // Fonts: fontconfig reads the machine's configuration, and the font
    // rendering libraries and their own dependencies go with it.
    "libfontconfig", "libfreetype", "libharfbuzz", "libgraphite2", "libpng16", "libbrotlidec", "libbrotlicommon",
    "libexpat", "libbz2", "libz",
    // The system bus and the base system every desktop has.
    "libdbus-1", "libsystemd", "libglib-2.0", "libgthread-2.0", "libgobject-2.0", "libgio-2.0", "libgmodule-2.0",
    "libpcre2-8", "libcap", "libgcrypt", "libgpg-error", "liblzma", "liblz4", "libzstd", "libbsd", "libmd",
    "libselinux", "libmount", "libblkid", "libffi", "libudev",
    // Cryptography gets security updates from the machine.
    "libcrypto", "libssl",
};

// The libraries the libxcb package itself provides (the core protocol and
// its extensions); the xcb utility libraries Qt uses are not on every
// desktop and are bundled.
constexpr const char* kXcbExtensions[] = {"composite", "damage", "dpms", "dri2", "dri3", "glx", "present", "randr",
    "record", "render", "res", "screensaver", "shape", "shm", "sync", "xf86dri", "xfixes", "xinerama", "xinput",
    "xkb", "xtest", "xv", "xvmc"};

bool NamedLike(const std::string& name, const std::string& stem)
{
    return name.compare(0, stem.size(), stem) == 0 && name.compare(stem.size(), 3, ".so") == 0;
}

} // namespace

bool IsSystemLibrary(const std::string& name)
{
    for (const char* stem : kSystemLibraries) {
        if (NamedLike(name, stem))
            return true;
    }
    if (NamedLike(name, "libxcb"))
        return true;
    for (const char* extension : kXcbExtensions) {
        if (NamedLike(name, std::string("libxcb-") + extension))
            return true;
    }
    return false;
}
