// Shared pieces of the install job tests: a product made into a real
// installer build, a configuration loaded from it, a job run with its
// status messages recorded, and questions answered from a script.
#pragma once

#include "BuildWriter.h"
#include "ProductDescription.h"
#include "TestSupport.h"

#include <InstallConfig.h>
#include <Looper.h>
#include <ScriptedAlertPresenter.h>

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace installtest {

namespace fs = std::filesystem;

// Records the job's status texts and its end message.
class StatusRecorder : public BLooper {
public:
    StatusRecorder() : BLooper("status recorder") {}
    void MessageReceived(BMessage* message) override;
    // Waits (up to 60 s) for the thread end message; false on time-out.
    bool WaitForEnd(int32& status, std::string& name);
    std::vector<std::string> Statuses();
    // The (done, total) byte pairs of the progress messages, in order.
    std::vector<std::pair<int64, int64>> Progress();
    bool Ended();
    // Forgets what was recorded, for a second run of a job.
    void Reset();

private:
    std::mutex fLock;
    std::condition_variable fChanged;
    std::vector<std::string> fStatuses;
    std::vector<std::pair<int64, int64>> fProgress;
    bool fEnded = false;
    int32 fStatus = -1;
    std::string fName;
};

// An item of a product: a file with contents, or a folder of files.
struct PayloadItem {
    std::string leaf;
    std::string contents;           // for a file
    bool folder = false;            // a folder holding "inner.txt" and "sub/deep.txt"
    ProductItem rules;
};

// The time every payload entry is stamped with before the build.
constexpr time_t kPayloadTime = 1000000000;

class InstallFixture {
public:
    InstallFixture();
    ~InstallFixture();

    // Adds an item; rules' path is filled in.
    ProductItem& Add(const std::string& leaf, const std::string& contents);
    ProductItem& AddFolder(const std::string& leaf);
    ProductCustomFolder& AddCustomFolder(const std::string& name, int32 root, const std::string& subDir,
        bool replace);

    // Makes the build (once) and loads its configuration into a fresh job,
    // every item selected, the destination set to Destination().
    void Load();
    // Runs the job in its thread and waits for its end; returns its result.
    int32 Run();
    // Starts the job without waiting.
    void Start();

    InstallConfig& Config() { return *fConfig; }
    ScriptedAlertPresenter& Presenter() { return fPresenter; }
    StatusRecorder& Recorder() { return *fRecorder; }
    ProductDescription& Description() { return fDescription; }

    const fs::path& Root() const { return fRoot.Path(); }
    fs::path Build() const { return fRoot.Path() / "build/Setup"; }
    fs::path Destination() const { return fRoot.Path() / "dest"; }
    fs::path InstallFolder() const { return Destination() / fDescription.optCreatedFolder; }
    void SetDestination(const fs::path& folder);

    // Questions asked so far of one kind ("replace", "requirement" ...).
    std::vector<BAlertRequest> Questions(const std::string& kind) const;
    // The install log's lines (without their line ends).
    std::vector<std::string> LogLines() const;

private:
    ondelle::test::TempDir fRoot;
    ProductDescription fDescription;
    std::vector<PayloadItem> fItems;
    ScriptedAlertPresenter fPresenter;
    StatusRecorder* fRecorder;
    std::unique_ptr<InstallConfig> fConfig;
    fs::path fDestination;
    bool fBuilt = false;
};

// The text inside the stand-in deinstaller every fixture's build carries.
constexpr const char* kStandInDeinstallerText = "#!/bin/sh\necho removing\n";

// A stand-in deinstaller: a program image (an ELF header and one segment
// holding kStandInDeinstallerText and padding) to which the installer can
// add the deinstaller's configuration like to the real program. Never run.
std::string StandInDeinstaller(const std::string& padding);

// Standard folders of the sandbox.
fs::path StandardFolder(int32 which);

// size bytes that do not compress, the same for the same seed.
std::string RandomBytes(size_t size, unsigned seed);

// mtime of an entry itself (a link not followed).
time_t ModificationTime(const fs::path& path);

} // namespace installtest
