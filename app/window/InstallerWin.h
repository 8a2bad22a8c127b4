// InstallerWin: the installer's main window. It shows the product (about
// image and texts) and the license, then the installation choices: an
// install type, the items, the destination volume and folder, the size of
// the selection and the volume's free space. It owns the configuration and
// its install job, writes the user's choice into it, runs the job in its
// thread and shows the job's status lines until the job ends.
#pragma once

#include <FindDirectory.h>
#include <InstallConfig.h>
#include <LibWindow.h>
#include <VolumeRoster.h>

#include <memory>
#include <string>

class BBox;
class BButton;
class BListView;
class LibListView;
class LibPictureButton;
class BScrollView;
class BStringView;
class BTextView;
class InstallImage;
class InstallProgressView;
class LibFilePanel;
class LibStringView;
class LibVolumeMenu;

class InstallerWin : public LibWindow {
public:
    enum {
        kMainButton = 1000,
        kTypeSelected = 2000,
        kShowGroupDescription = 2001,
        kOpenFolderPanel = 2003,
        kVolumeSelected = 2004,
        kDestinationChosen = 2005,
        kItemSelected = 2006
    };
    enum State { kLicense = 1, kChoosing = 2, kInstalling = 3 };
    // How long "Stop" is on screen before a press of the button stops the
    // running install: less than anyone needs to see the new label and
    // decide, so a quicker press is the second half of a double press
    // (Enter twice) on Install.
    static constexpr bigtime_t kStopSeenAfter = 300000;

    InstallerWin();
    virtual ~InstallerWin();

    // Reads the configuration from the program's own resources (or from the
    // installer build at path) and fills the window. False, after telling
    // the user, when the build carries no readable configuration.
    bool LoadResources();
    bool LoadResources(const char* path);
    // Shows who signed the build (text) on the first page, and hands the
    // verified manifest (null for a build without one) to the install job,
    // which checks every file against it as it is written.
    void SetSignatureText(const char* text, std::shared_ptr<const BuildManifest> manifest);

    void ButtonPressed();
    void Install();
    void ThreadChange(BMessage* message);
    void InstallTypeSelected();
    void CustomItemSelected();
    // Asks the application for a tool tip with the description of the group
    // at index of the group list; a negative index hides the tip.
    void ShowGroupDescription(const int32& index);
    bool CheckDestinationFolder(bool ask);
    void SelectDestination();
    void SelectVolume();
    void GetHomeDirectory();
    void GetVolumes();
    void SetDestinationPath();
    void InitFolderPanel();
    void AddGroup(const char* name);
    // Ends the job before the program quits; cause is what asked for the
    // quit: "stop" (the Stop button), "window" (the window was closed),
    // "signal" or "session" (the system ends the program), "finished" (the
    // job's own end). A job that has done its work is never stopped: its
    // last questions are answered "no" and false is returned, the quit
    // coming again with the job's end message. A job still working is
    // stopped, the stop is noted in the log and on standard error, and
    // for "stop" only the user is told what it stopped. True when the
    // program may quit now.
    bool QuitRunning(const char* cause);
    // Whether QuitRunning() stopped a job at work.
    bool JobWasStopped() const { return fJobStopped; }

    // Asks the application to quit, which closes this window once a
    // running job is stopped; the window stays until then (it closes
    // itself only when there is no application).
    bool QuitRequested() override;
    void MessageReceived(BMessage* message) override;

    int32 CurrentState() const { return fState; }
    InstallConfig& Configuration() { return fConfig; }
    LibFilePanel* FolderPanel() const { return fFolderPanel.get(); }

private:
    void _BuildViews();
    // Names and descriptions for screen readers where a view's label or
    // text does not say what it is.
    void _DescribeViews();
    void _SetState(State state);
    // Posts the quit request to the application, naming its cause.
    void _RequestQuit(const char* cause);

    // Makes the default folder that a new account does not have yet and
    // takes it as the destination; false, after telling the user, when it
    // cannot be made.
    bool _MakePendingFolder();

    InstallConfig fConfig;
    int32 fState = kLicense;
    bool fJobStopped = false;
    // The default folder, shown as the destination while it does not exist
    // yet: it is made when the install starts, never before. Empty once the
    // user chose another folder or disk.
    std::string fPendingFolder;
    directory_which fPendingWhich = B_USER_DIRECTORY;
    // The job has done its work (its last status came): the main button
    // quits rather than stops.
    bool fFinished = false;
    std::unique_ptr<LibFilePanel> fFolderPanel;
    BVolumeRoster fVolumeWatch;

    InstallImage* fImage = nullptr;
    BBox* fLicenseBox = nullptr;
    BTextView* fLicenseText = nullptr;
    BBox* fInstallBox = nullptr;
    LibListView* fTypeList = nullptr;
    LibPictureButton* fFolderButton = nullptr;
    LibStringView* fDestination = nullptr;
    LibVolumeMenu* fVolumeMenu = nullptr;
    BStringView* fVolumeSize = nullptr;
    BListView* fItemList = nullptr;
    BStringView* fInstallSize = nullptr;
    BStringView* fInstruction = nullptr;
    // Who signed the build, on the license page and the installation page.
    BStringView* fLicenseSignature = nullptr;
    InstallProgressView* fProgress = nullptr;
    BButton* fButton = nullptr;
};
