#include "InstallTestSupport.h"

#include <Entry.h>
#include <FindDirectory.h>
#include <Messenger.h>
#include <Resources.h>
#include <Path.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>
#include <sys/stat.h>

namespace installtest {

using ondelle::test::WriteFileBytes;

void StatusRecorder::MessageReceived(BMessage* message)
{
    std::lock_guard<std::mutex> lock(fLock);
    if (message->what == INSTALL_STATUS_UPDATE) {
        const char* text = nullptr;
        message->FindString("message", 0, &text);
        fStatuses.push_back(text != nullptr ? text : "(none)");
    } else if (message->what == INSTALL_PROGRESS_UPDATE) {
        int64 done = -1;
        int64 total = -1;
        message->FindInt64("done", 0, &done);
        message->FindInt64("total", 0, &total);
        fProgress.emplace_back(done, total);
    } else if (message->what == LIB_THREAD_COMPLETE) {
        const char* name = nullptr;
        message->FindString("name", 0, &name);
        fName = name != nullptr ? name : "";
        message->FindInt32("status", 0, &fStatus);
        fEnded = true;
    } else {
        return;
    }
    fChanged.notify_all();
}

bool StatusRecorder::WaitForEnd(int32& status, std::string& name)
{
    std::unique_lock<std::mutex> lock(fLock);
    if (!fChanged.wait_for(lock, std::chrono::seconds(60), [this] { return fEnded; }))
        return false;
    status = fStatus;
    name = fName;
    return true;
}

std::vector<std::string> StatusRecorder::Statuses()
{
    std::lock_guard<std::mutex> lock(fLock);
    return fStatuses;
}

std::vector<std::pair<int64, int64>> StatusRecorder::Progress()
{
    std::lock_guard<std::mutex> lock(fLock);
    return fProgress;
}

bool StatusRecorder::Ended()
{
    std::lock_guard<std::mutex> lock(fLock);
    return fEnded;
}

void StatusRecorder::Reset()
{
    std::lock_guard<std::mutex> lock(fLock);
    fStatuses.clear();
    fProgress.clear();
    fEnded = false;
    fStatus = -1;
    fName.clear();
}

namespace {

void Stamp(const fs::path& path)
{
    BEntry entry(path.c_str(), false);
    entry.SetModificationTime(kPayloadTime);
}

} // namespace

InstallFixture::InstallFixture()
{
    set_alert_presenter(&fPresenter);
    fRecorder = new StatusRecorder;
    fRecorder->Run();
    fDescription.appName = "Tern";
    fDescription.version = "1.5";
    fDescription.releaseDate = "today";
    fDescription.company = "Tests";
    fDescription.supportEmail = "help@example.org";
    fDescription.optCreatedFolder = "Tern";
    fDescription.optLog = true;
    fDescription.compressionLevel = 1;
    fs::create_directories(fRoot.Path() / "payload");
    WriteFileBytes(fRoot.Path() / "payload/deinstaller", StandInDeinstaller(""));
    fDescription.deinstaller = (fRoot.Path() / "payload/deinstaller").string();
    fDestination = Destination();
    fs::create_directories(fDestination);
}

InstallFixture::~InstallFixture()
{
    // The job first: it may still ask questions or send statuses.
    fConfig.reset();
    set_alert_presenter(nullptr);
    fRecorder->Lock();
    fRecorder->Quit();
}

ProductItem& InstallFixture::Add(const std::string& leaf, const std::string& contents)
{
    fs::path path = fRoot.Path() / "payload" / leaf;
    WriteFileBytes(path, contents);
    Stamp(path);
    ProductItem item;
    item.path = path.string();
    fDescription.items.push_back(item);
    return fDescription.items.back();
}

ProductItem& InstallFixture::AddFolder(const std::string& leaf)
{
    fs::path path = fRoot.Path() / "payload" / leaf;
    fs::create_directories(path / "sub");
    WriteFileBytes(path / "inner.txt", "inner of " + leaf + "\n");
    WriteFileBytes(path / "sub/deep.txt", "deep\n");
    fs::create_symlink("inner.txt", path / "current");
    Stamp(path);
    ProductItem item;
    item.path = path.string();
    fDescription.items.push_back(item);
    return fDescription.items.back();
}

ProductCustomFolder& InstallFixture::AddCustomFolder(const std::string& name, int32 root,
    const std::string& subDir, bool replace)
{
    ProductCustomFolder folder;
    folder.name = name;
    folder.root = root;
    folder.subDir = subDir;
    folder.replaceExisting = replace;
    fDescription.customFolders.push_back(folder);
    return fDescription.customFolders.back();
}

void InstallFixture::SetDestination(const fs::path& folder)
{
    fDestination = folder;
    if (fConfig) {
        entry_ref ref;
        get_ref_for_path(folder.c_str(), &ref);
        fConfig->SetDestination(ref);
    }
}

void InstallFixture::Load()
{
    if (!fBuilt) {
        std::string error = MakeInstallerBuild(fDescription,
            (ondelle::test::BuildDir() / "app/ondelle").string(), fDescription.deinstaller,
            Build().string());
        ASSERT_EQ(error, "");
        fBuilt = true;
    }
    BResources resources(Build().c_str());
    ASSERT_EQ(resources.InitCheck(), B_OK);
    size_t size = 0;
    const void* flat = resources.LoadResource('CSTR', 2002, &size);
    ASSERT_NE(flat, nullptr);
    BMessage stored;
    ASSERT_EQ(stored.Unflatten(static_cast<const char*>(flat), ssize_t(size)), B_OK);
    fConfig = std::make_unique<InstallConfig>();
    *fConfig = stored;
    for (int32 index = 0; index < fConfig->CountInstallItems(); index++)
        ASSERT_EQ(fConfig->MarkInstallItem(index, true), B_OK);
    fConfig->SetResourcePath(Build().c_str());
    SetDestination(fDestination);
}

void InstallFixture::Start()
{
    ASSERT_TRUE(fConfig);
    ASSERT_EQ(fConfig->Go("install", new BMessenger(fRecorder), 10, false), B_OK);
}

int32 InstallFixture::Run()
{
    Start();
    int32 status = -1;
    std::string name;
    EXPECT_TRUE(fRecorder->WaitForEnd(status, name)) << "the job did not end";
    EXPECT_EQ(name, "install");
    return status;
}

std::vector<BAlertRequest> InstallFixture::Questions(const std::string& kind) const
{
    std::vector<BAlertRequest> found;
    for (const BAlertRequest& request : fPresenter.Questions()) {
        if (request.kind == kind)
            found.push_back(request);
    }
    return found;
}

std::vector<std::string> InstallFixture::LogLines() const
{
    std::vector<std::string> lines;
    std::ifstream stream(InstallFolder() / "Log");
    std::string line;
    while (std::getline(stream, line))
        lines.push_back(line);
    return lines;
}

std::string StandInDeinstaller(const std::string& padding)
{
    // ELF64, little-endian, one loadable segment that covers the whole file:
    // the resources go after it, as they do after a real program.
    const std::string body = std::string(kStandInDeinstallerText) + padding;
    const uint64_t size = 64 + 56 + body.size();
    std::string image(64 + 56, '\0');
    auto put = [&image](size_t at, uint64_t value, int bytes) {
        for (int index = 0; index < bytes; index++)
            image[at + size_t(index)] = char((value >> (8 * index)) & 0xff);
    };
    image.replace(0, 4, "\x7f" "ELF");
    image[4] = 2; // 64 bits
    image[5] = 1; // little-endian
    image[6] = 1; // version
    put(16, 2, 2);     // an executable
    put(18, 62, 2);    // x86-64
    put(20, 1, 4);     // version
    put(32, 64, 8);    // program headers right after this header
    put(52, 64, 2);    // header size
    put(54, 56, 2);    // program header size
    put(56, 1, 2);     // one program header
    put(58, 64, 2);    // section header size (none follow)
    put(64, 1, 4);     // PT_LOAD
    put(64 + 4, 5, 4); // readable, executable
    put(64 + 32, size, 8);      // size in the file
    put(64 + 40, size, 8);      // size in memory
    put(64 + 48, 8, 8);         // alignment
    return image + body;
}

fs::path StandardFolder(int32 which)
{
    BPath path;
    EXPECT_EQ(find_directory(directory_which(which), &path, false), B_OK);
    return path.Path();
}

time_t ModificationTime(const fs::path& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return 0;
    return st.st_mtime;
}

std::string RandomBytes(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = char(random());
    return bytes;
}

} // namespace installtest
