// The build tool's description reader on arbitrary bytes: it must report
// problems, never crash, throw or hang. The description lies in a scratch
// folder that holds a small payload (a file, a folder, a link and a FIFO),
// so that paths in the input reach the payload checks. Inputs that name a
// path outside that folder (absolute or with "..") are skipped: the reader
// would walk the real file system.
#include <ProductDescription.h>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ScratchFolder()
{
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir != nullptr && dir[0] != '\0' ? dir : "/tmp") + "/fuzz-description-XXXXXX";
    if (mkdtemp(name.data()) == nullptr)
        abort();
    std::ofstream(name + "/file.txt") << "payload\n";
    mkdir((name + "/folder").c_str(), 0755);
    std::ofstream(name + "/folder/inside") << "inside\n";
    symlink("inside", (name + "/folder/link").c_str());
    mkfifo((name + "/folder/pipe").c_str(), 0644);
    return name;
}

// True when some text in value could name a path outside the scratch folder.
bool LeavesFolder(const nlohmann::json& value)
{
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        return (!text.empty() && (text[0] == '/' || text[0] == '~')) || text.find("..") != std::string::npos
            || text.find("${") != std::string::npos;
    }
    if (value.is_structured()) {
        for (const auto& element : value)
            if (LeavesFolder(element))
                return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string folder = ScratchFolder();
    const std::string text(reinterpret_cast<const char*>(data), size);
    const nlohmann::json parsed = nlohmann::json::parse(text, nullptr, false, false);
    if (!parsed.is_discarded() && LeavesFolder(parsed))
        return 0;

    const std::string path = folder + "/product.json";
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    fwrite(data, 1, size, file);
    fclose(file);

    ProductDescription description;
    std::vector<ProductDiagnostic> diagnostics;
    const bool ok = ReadProductDescription(path, {}, description, diagnostics);
    bool anyError = false;
    for (const ProductDiagnostic& diagnostic : diagnostics) {
        if (diagnostic.text.empty())
            abort();
        anyError |= diagnostic.isError;
    }
    // The answer and the diagnostics agree.
    if (ok == anyError)
        abort();
    return 0;
}
