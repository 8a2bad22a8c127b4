#include <FilePanel.h>

#include "FileDialog.h"
#include "GuiThread.h"

#include <Entry.h>
#include <Message.h>
#include <Path.h>

#include <QAbstractProxyModel>
#include <QDir>
#include <QFileSystemModel>
#include <QGuiApplication>

#include <cmath>

using BPrivate::GuiThread;

BFilePanel::BFilePanel(file_panel_mode mode, BMessenger* target, const entry_ref* directory, uint32 nodeFlavors,
    bool allowMultipleSelection, BMessage* message, BRefFilter* filter, bool modal, bool hideWhenDone)
    :
    fMode(mode),
    fTarget(target != nullptr ? *target : BMessenger()),
    fMessage(message != nullptr ? new BMessage(*message) : nullptr),
    fFilter(filter),
    fNodeFlavors(nodeFlavors),
    fHideWhenDone(hideWhenDone),
    fDialog(nullptr),
    fSelectionIndex(0)
{
    GuiThread::EnsureApplication();
    GuiThread::Call([&] {
        fDialog = new BPrivate::FileDialog(this, hideWhenDone);
        fDialog->setWindowTitle(mode == B_SAVE_PANEL ? QStringLiteral("Save") : QStringLiteral("Open"));
        fDialog->setModal(modal);
        if (mode == B_SAVE_PANEL) {
            fDialog->setAcceptMode(QFileDialog::AcceptSave);
            fDialog->setFileMode(QFileDialog::AnyFile);
        } else if (nodeFlavors == B_DIRECTORY_NODE) {
            fDialog->setFileMode(QFileDialog::Directory);
        } else {
            fDialog->setFileMode(allowMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        }
    });
    if (directory != nullptr)
        SetPanelDirectory(directory);
    else
        SetPanelDirectory(QDir::homePath().toStdString().c_str());
}

BFilePanel::~BFilePanel()
{
    GuiThread::Call([this] {
        delete fDialog;
        fDialog = nullptr;
    });
}

void BFilePanel::Show()
{
    GuiThread::Call([this] {
        fDialog->show();
        fDialog->raise();
    });
}

void BFilePanel::Hide()
{
    GuiThread::Call([this] { fDialog->hide(); });
}

bool BFilePanel::IsShowing() const
{
    bool showing = false;
    GuiThread::Call([&] { showing = fDialog->isVisible(); });
    return showing;
}

void BFilePanel::SendMessage(const BMessenger* target, BMessage* message)
{
    if (target != nullptr && message != nullptr)
        target->SendMessage(message);
}

void BFilePanel::SetTarget(BMessenger target)
{
    fTarget = target;
}

void BFilePanel::SetMessage(BMessage* message)
{
    fMessage.reset(message != nullptr ? new BMessage(*message) : nullptr);
}

void BFilePanel::SetRefFilter(BRefFilter* filter)
{
    fFilter = filter;
    Refresh();
}

void BFilePanel::SetPanelDirectory(const entry_ref* ref)
{
    if (ref == nullptr)
        return;
    BPath path(ref);
    if (path.InitCheck() == B_OK)
        SetPanelDirectory(path.Path());
}

void BFilePanel::SetPanelDirectory(const char* path)
{
    if (path == nullptr)
        return;
    const QString folder = QString::fromUtf8(path);
    GuiThread::Call([this, folder] {
        fDialog->setDirectory(folder);
        fDialog->Refilter();
    });
}

void BFilePanel::GetPanelDirectory(entry_ref* ref) const
{
    if (ref == nullptr)
        return;
    std::string folder;
    GuiThread::Call([&] { folder = fDialog->directory().absolutePath().toStdString(); });
    get_ref_for_path(folder.c_str(), ref);
}

void BFilePanel::Refresh()
{
    GuiThread::Call([this] { fDialog->Refilter(); });
}

void BFilePanel::Rewind()
{
    fSelectionIndex = 0;
}

status_t BFilePanel::GetNextSelectedRef(entry_ref* ref)
{
    if (ref == nullptr)
        return B_BAD_VALUE;
    if (fSelectionIndex >= fSelection.size())
        return B_ENTRY_NOT_FOUND;
    *ref = fSelection[fSelectionIndex++];
    return B_OK;
}

BRect BFilePanel::Frame() const
{
    QRect geometry;
    GuiThread::Call([&] { geometry = fDialog->geometry(); });
    return BRect(geometry.left(), geometry.top(), geometry.left() + geometry.width() - 1,
        geometry.top() + geometry.height() - 1);
}

void BFilePanel::MoveTo(float x, float y)
{
    GuiThread::Call([&] { fDialog->move(int(std::lround(x)), int(std::lround(y))); });
}

void BFilePanel::ResizeTo(float width, float height)
{
    // Frames are inclusive: a width of w covers w + 1 pixels.
    GuiThread::Call([&] { fDialog->resize(int(std::lround(width)) + 1, int(std::lround(height)) + 1); });
}

void BFilePanel::AddChoice(const char* title, const char* label, bool marked)
{
    if (title == nullptr || label == nullptr)
        return;
    const QString qTitle = QString::fromUtf8(title);
    const QString qLabel = QString::fromUtf8(label);
    GuiThread::Call([&] { fDialog->AddChoice(qTitle, qLabel, marked); });
}

std::string BFilePanel::MarkedChoice() const
{
    std::string marked;
    GuiThread::Call([&] { marked = fDialog->MarkedChoice().toStdString(); });
    return marked;
}

bool BFilePanel::HasChoices() const
{
    bool has = false;
    GuiThread::Call([&] { has = fDialog->HasChoices(); });
    return has;
}

std::vector<std::string> BFilePanel::_ListedNames() const
{
    std::vector<std::string> names;
    GuiThread::Call([&] {
        auto* proxy = fDialog->proxyModel();
        auto* model = proxy != nullptr ? dynamic_cast<QFileSystemModel*>(proxy->sourceModel()) : nullptr;
        if (model == nullptr)
            return;
        const QModelIndex root = proxy->mapFromSource(model->index(fDialog->directory().absolutePath()));
        for (int row = 0; row < proxy->rowCount(root); row++)
            names.push_back(proxy->index(row, 0, root).data().toString().toStdString());
    });
    return names;
}

QFileDialog* BFilePanel::_Dialog() const
{
    return fDialog;
}

void BFilePanel::_Chosen(const std::vector<std::string>& paths)
{
    fSelection.clear();
    fSelectionIndex = 0;
    BMessage message(fMessage != nullptr ? *fMessage
        : BMessage(fMode == B_SAVE_PANEL ? uint32(B_SAVE_REQUESTED) : uint32(B_REFS_RECEIVED)));
    if (fMode == B_SAVE_PANEL) {
        if (paths.empty())
            return;
        BPath chosen(paths.front().c_str());
        BPath parent;
        entry_ref directory;
        if (chosen.GetParent(&parent) != B_OK || get_ref_for_path(parent.Path(), &directory) != B_OK)
            return;
        message.AddRef("directory", &directory);
        message.AddString("name", chosen.Leaf());
    } else {
        for (const std::string& path : paths) {
            entry_ref ref;
            if (get_ref_for_path(path.c_str(), &ref) != B_OK)
                continue;
            fSelection.push_back(ref);
            message.AddRef("refs", &ref);
        }
        if (fSelection.empty())
            return;
    }
    SendMessage(&fTarget, &message);
}

void BFilePanel::_Cancelled()
{
    BMessage cancel(B_CANCEL);
    cancel.AddInt32("old_what", int32(fMessage != nullptr ? fMessage->what : uint32(B_REFS_RECEIVED)));
    fTarget.SendMessage(&cancel);
}
