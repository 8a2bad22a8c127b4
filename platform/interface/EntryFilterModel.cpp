#include "EntryFilterModel.h"

#include <Entry.h>
#include <FilePanel.h>
#include <Node.h>
#include <MimeType.h>
#include <NodeInfo.h>
#include <RefFilter.h>

#include <QDir>
#include <QFileSystemModel>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include <sys/stat.h>

namespace BPrivate {

EntryFilterModel::EntryFilterModel(BFilePanel* panel, QObject* parent)
    :
    QSortFilterProxyModel(parent),
    fPanel(panel)
{
}

void EntryFilterModel::SetFolder(const QString& path)
{
    const QString folder = QDir::cleanPath(path);
    if (folder == fFolder)
        return;
    fFolder = folder;
    invalidateFilter();
}

bool EntryFilterModel::filterAcceptsRow(int row, const QModelIndex& parent) const
{
    BRefFilter* filter = fPanel->RefFilter();
    auto* model = dynamic_cast<QFileSystemModel*>(sourceModel());
    if (filter == nullptr || model == nullptr)
        return true;
    const QModelIndex index = model->index(row, 0, parent);
    if (QDir::cleanPath(model->filePath(parent)) != fFolder)
        return true;
    const std::string path = QDir::cleanPath(model->filePath(index)).toStdString();

    entry_ref ref;
    if (get_ref_for_path(path.c_str(), &ref) != B_OK)
        return false;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0)
        return false;
    BNode node(&ref);
    // A link lists by what it points to; a broken link has the link type.
    char type[B_MIME_TYPE_LENGTH] = "";
    char resolved[PATH_MAX];
    BNode target;
    if (S_ISLNK(st.st_mode) && realpath(path.c_str(), resolved) != nullptr)
        target.SetTo(resolved);
    BNodeInfo info(target.InitCheck() == B_OK ? &target : &node);
    if (info.InitCheck() != B_OK || info.GetType(type) != B_OK)
        type[0] = '\0';
    if (type[0] == '\0' && S_ISLNK(st.st_mode))
        snprintf(type, sizeof(type), "%s", B_SYMLINK_MIME_TYPE);
    return filter->Filter(&ref, &node, &st, type);
}

} // namespace BPrivate
