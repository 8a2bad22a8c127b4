// Installing a build whose payload is about 200 MB in 5,000 files of mixed
// text and binary data, folders up to five deep, packed at level 6 as 50
// folder items and 10 single files. In the same run, and on the same data,
// the same archives unpacked with the unzip program and moved into place
// with mv, and the payload tree copied with cp -a; the counters give the
// install's time as a multiple of each. The install runs twice per round:
// with the workers that unpack archives ahead (as a job does by default) and
// with every archive unpacked at its turn in the job's thread; the rounds
// alternate the order of the four, and the counters are medians. Every
// tree is removed, and the
// removal synced to disk, right after it was measured, well before the next
// timed run. Everything lives in a private temporary folder that serves as
// the sandbox.
//
// The second benchmark does the same with 20 large single files, text and
// incompressible in turn: 1 GiB in all, or ONDELLE_BENCH_LARGE_MB
// megabytes. The payload, the build, the archives and one installed copy
// are on disk at once (about four times the payload); the benchmark is
// skipped when the temporary folder's volume has less than five times the
// payload free.
//
// A second benchmark installs the same payload from a signed build, checked
// as the installer checks it (the whole build against its manifest and
// signature before the job, every file against the manifest as it is
// written), against the unsigned build installed without any check, in
// alternating order; the counter is the ratio of the medians.
#include "BenchPayload.h"
#include "BuildWriter.h"
#include "ManifestWriter.h"
#include "ProductDescription.h"

#include <BuildVerifier.h>
#include <Entry.h>
#include <InstallConfig.h>
#include <LibAppResource.h>
#include <ScriptedAlertPresenter.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kLevel = 6;

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time (user and system) of this process's threads, or of its
// children that were waited for.
double ProcessorSeconds(int who)
{
    struct rusage usage = {};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double MedianOf(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Bytes of the large payload: 1 GiB unless ONDELLE_BENCH_LARGE_MB says.
size_t LargePayloadBytes()
{
    const char* megabytes = getenv("ONDELLE_BENCH_LARGE_MB");
    const long value = megabytes != nullptr ? atol(megabytes) : 0;
    return value > 0 ? size_t(value) << 20 : size_t(1) << 30;
}

// Free bytes on the temporary folder's volume.
uint64_t FreeTemporaryBytes()
{
    struct statvfs info = {};
    if (statvfs(fs::temp_directory_path().c_str(), &info) != 0)
        return 0;
    return uint64_t(info.f_bavail) * info.f_frsize;
}

class Workspace {
public:
    // With large, the large-file payload instead of the many-file one.
    explicit Workspace(bool large = false)
    {
        std::string pattern = (fs::temp_directory_path() / "ondelle-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            abort();
        fRoot = pattern;
        setenv("TMPDIR", (fRoot / "tmp").c_str(), 1);
        setenv("HOME", (fRoot / "home").c_str(), 1);
        setenv("ONDELLE_SANDBOX", fRoot.c_str(), 1);
        fs::create_directories(fRoot / "tmp");

        ProductDescription description;
        description.appName = "Bench";
        description.version = "1.0";
        description.optCreatedFolder = "Bench";
        description.optLog = true;
        description.compressionLevel = kLevel;
        const BenchPayload payload = large
            ? BenchPayload(fRoot / "payload", BenchPayload::LargeFiles{20, LargePayloadBytes()})
            : BenchPayload(fRoot / "payload");
        for (const fs::path& item : payload.Items())
            AddItem(description, item);
        fProgram = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "app/ondelle";
        fBuild = fRoot / "Setup";
        fDescription = description;
        std::string error = MakeInstallerBuild(description, fProgram.string(), "", fBuild.string());
        if (!error.empty()) {
            fprintf(stderr, "build failed: %s\n", error.c_str());
            abort();
        }
        // The same archives as files, for the unzip program.
        LibAppResource resources(fBuild.c_str(), B_READ_ONLY);
        fs::create_directories(fRoot / "archives");
        for (size_t index = 0; index < fLeaves.size(); index++) {
            const fs::path archive = fRoot / "archives" / (fLeaves[index] + ".zip");
            resources.ExtractEntry(int32(2100 + index), archive.c_str(), false);
            fArchives.push_back(archive);
        }
        set_alert_presenter(&fPresenter);
    }

    ~Workspace()
    {
        set_alert_presenter(nullptr);
        fs::remove_all(fRoot);
    }

    // An empty destination; what the previous run left is removed (and the
    // removal written out) before the caller starts its clock.
    fs::path FreshDestination()
    {
        const fs::path destination = fRoot / "dest";
        fs::remove_all(destination);
        fs::remove_all(fRoot / "home/.local/share/Trash");
        fs::remove_all(fRoot / "tmp/unzip");
        ::sync();
        fs::create_directories(destination);
        return destination;
    }

    // The same product, signed; made at the first call.
    const fs::path& SignedBuild()
    {
        if (fSignedBuild.empty()) {
            BuildSigning signing;
            signing.signer = "Bench";
            if (!signing.key.Generate().empty())
                abort();
            fSignedBuild = fRoot / "SignedSetup";
            const std::string error
                = MakeInstallerBuild(fDescription, fProgram.string(), "", fSignedBuild.string(), nullptr, nullptr, &signing);
            if (!error.empty()) {
                fprintf(stderr, "signed build failed: %s\n", error.c_str());
                abort();
            }
        }
        return fSignedBuild;
    }

    // The time the last install spent checking the build before its job.
    double LastCheck() const { return fLastCheck; }

    // workers: as InstallConfig::SetUnpackWorkers; negative for the default.
    // verify: checks the build (given, or the unsigned one) as the
    // installer does, inside the timed part.
    double Install(int32 workers, const fs::path& buildPath = fs::path(), bool verify = false)
    {
        const fs::path build = buildPath.empty() ? fBuild : buildPath;
        const fs::path destination = FreshDestination();
        double checkSeconds = 0;
        std::shared_ptr<const BuildManifest> manifest;
        if (verify) {
            const auto start = std::chrono::steady_clock::now();
            BuildVerification verification = VerifyBuild(build.string());
            if (verification.state != BuildVerification::State::kWhole || !verification.isSigned)
                abort();
            manifest = std::make_shared<const BuildManifest>(std::move(verification.manifest));
            checkSeconds = Seconds(start);
        }
        fLastCheck = checkSeconds;
        BResources resources(build.c_str());
        size_t size = 0;
        const void* flat = resources.LoadResource('CSTR', 2002, &size);
        BMessage stored;
        if (flat == nullptr || stored.Unflatten(static_cast<const char*>(flat), ssize_t(size)) != B_OK)
            abort();
        InstallConfig config;
        config = stored;
        for (int32 index = 0; index < config.CountInstallItems(); index++)
            config.MarkInstallItem(index, true);
        config.SetResourcePath(build.c_str());
        config.SetUnpackWorkers(workers);
        config.SetManifest(manifest);
        entry_ref ref;
        get_ref_for_path(destination.c_str(), &ref);
        config.SetDestination(ref);
        const double processor = ProcessorSeconds(RUSAGE_SELF);
        const auto start = std::chrono::steady_clock::now();
        config.Go("install", nullptr, 10, true);
        // The job, and the check of the build before it.
        const double seconds = Seconds(start) + checkSeconds;
        fLastProcessor = ProcessorSeconds(RUSAGE_SELF) - processor;
        if (config.FailedItems().Size() != 0 || config.ManifestMismatch())
            abort();
        return seconds;
    }

    double UnzipAndMove()
    {
        const fs::path destination = FreshDestination() / "Bench";
        fs::create_directories(destination);
        const fs::path work = fRoot / "tmp/unzip";
        fs::create_directories(work);
        const double processor = ProcessorSeconds(RUSAGE_CHILDREN);
        const auto start = std::chrono::steady_clock::now();
        for (size_t index = 0; index < fArchives.size(); index++) {
            std::string command = "unzip -oq '" + fArchives[index].string() + "' -d '" + work.string()
                + "' && mv -f '" + (work / fLeaves[index]).string() + "' '" + destination.string() + "/'";
            if (std::system(command.c_str()) != 0)
                abort();
        }
        fLastProcessor = ProcessorSeconds(RUSAGE_CHILDREN) - processor;
        return Seconds(start);
    }

    double CopyTree()
    {
        const fs::path destination = FreshDestination() / "Bench";
        fs::create_directories(destination);
        std::string command = "cp -a";
        for (const std::string& leaf : fLeaves)
            command += " '" + (fRoot / "payload" / leaf).string() + "'";
        command += " '" + destination.string() + "/'";
        const double processor = ProcessorSeconds(RUSAGE_CHILDREN);
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0)
            abort();
        fLastProcessor = ProcessorSeconds(RUSAGE_CHILDREN) - processor;
        return Seconds(start);
    }

    // Processor seconds of the last install, unzip or copy.
    double LastProcessor() const { return fLastProcessor; }

private:
    void AddItem(ProductDescription& description, const fs::path& path)
    {
        ProductItem item;
        item.path = path.string();
        description.items.push_back(item);
        fLeaves.push_back(path.filename().string());
    }

    fs::path fRoot;
    fs::path fBuild;
    fs::path fProgram;
    fs::path fSignedBuild;
    double fLastCheck = 0;
    ProductDescription fDescription;
    std::vector<fs::path> fArchives;
    std::vector<std::string> fLeaves;
    ScriptedAlertPresenter fPresenter;
    double fLastProcessor = 0;
};

Workspace& Shared()
{
    static Workspace workspace;
    return workspace;
}

Workspace& SharedLarge()
{
    static Workspace workspace(true);
    return workspace;
}

// Each iteration is a round of the four side by side, in an order that
// changes from round to round; the iteration's time is the default
// install's, the counters the medians and their ratios.
void RunRounds(benchmark::State& state, Workspace& workspace)
{
    std::vector<double> install;
    std::vector<double> serial;
    std::vector<double> unzip;
    std::vector<double> copy;
    // Processor times: the machine's other work moves them far less than
    // wall times.
    std::vector<double> installCpu, serialCpu, unzipCpu, copyCpu;
    int round = 0;
    for (auto _ : state) {
        double seconds = 0;
        for (int step = 0; step < 4; step++) {
            switch ((step + round) % 4) {
                case 0:
                    seconds = workspace.Install(-1);
                    install.push_back(seconds);
                    installCpu.push_back(workspace.LastProcessor());
                    break;
                case 1:
                    serial.push_back(workspace.Install(0));
                    serialCpu.push_back(workspace.LastProcessor());
                    break;
                case 2:
                    unzip.push_back(workspace.UnzipAndMove());
                    unzipCpu.push_back(workspace.LastProcessor());
                    break;
                default:
                    copy.push_back(workspace.CopyTree());
                    copyCpu.push_back(workspace.LastProcessor());
                    break;
            }
        }
        round++;
        state.SetIterationTime(seconds);
    }
    workspace.FreshDestination();
    state.counters["install_s"] = MedianOf(install);
    state.counters["serial_s"] = MedianOf(serial);
    state.counters["unzip_mv_s"] = MedianOf(unzip);
    state.counters["cp_a_s"] = MedianOf(copy);
    state.counters["x_unzip_mv"] = MedianOf(install) / MedianOf(unzip);
    state.counters["x_cp_a"] = MedianOf(install) / MedianOf(copy);
    state.counters["serial_x_unzip_mv"] = MedianOf(serial) / MedianOf(unzip);
    state.counters["serial_x_cp_a"] = MedianOf(serial) / MedianOf(copy);
    state.counters["install_cpu_s"] = MedianOf(installCpu);
    state.counters["serial_cpu_s"] = MedianOf(serialCpu);
    state.counters["unzip_mv_cpu_s"] = MedianOf(unzipCpu);
    state.counters["cp_a_cpu_s"] = MedianOf(copyCpu);
    state.counters["cpu_x_cp_a"] = MedianOf(installCpu) / MedianOf(copyCpu);
    state.counters["cpu_x_unzip_mv"] = MedianOf(installCpu) / MedianOf(unzipCpu);
}

void BM_InstallAgainstUnzipAndCopy(benchmark::State& state)
{
    RunRounds(state, Shared());
}

void BM_InstallLargeFiles(benchmark::State& state)
{
    const size_t bytes = LargePayloadBytes();
    if (FreeTemporaryBytes() < 5 * uint64_t(bytes)) {
        state.SkipWithError("not enough free space for the large payload: set ONDELLE_BENCH_LARGE_MB lower");
        for (auto _ : state) {
        }
        return;
    }
    RunRounds(state, SharedLarge());
    state.counters["payload_MB"] = double(bytes) / 1e6;
}

// Signed and verified against unsigned and unchecked, with the default
// workers, alternating which goes first.
void BM_SignedVerifiedAgainstUnsigned(benchmark::State& state)
{
    Workspace& workspace = Shared();
    const fs::path signedBuild = workspace.SignedBuild();
    std::vector<double> plain;
    std::vector<double> verified;
    std::vector<double> check;
    int round = 0;
    for (auto _ : state) {
        double seconds = 0;
        for (int step = 0; step < 2; step++) {
            if ((step + round) % 2 == 0) {
                seconds = workspace.Install(-1, signedBuild, true);
                verified.push_back(seconds);
                check.push_back(workspace.LastCheck());
            } else {
                plain.push_back(workspace.Install(-1));
            }
        }
        round++;
        state.SetIterationTime(seconds);
    }
    workspace.FreshDestination();
    state.counters["verified_s"] = MedianOf(verified);
    state.counters["unsigned_s"] = MedianOf(plain);
    state.counters["check_s"] = MedianOf(check);
    state.counters["x_unsigned"] = MedianOf(verified) / MedianOf(plain);
}

} // namespace

BENCHMARK(BM_SignedVerifiedAgainstUnsigned)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);
BENCHMARK(BM_InstallAgainstUnzipAndCopy)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);
BENCHMARK(BM_InstallLargeFiles)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

BENCHMARK_MAIN();
