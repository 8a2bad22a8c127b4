// A proxy over a file dialog's file-system model that lists only the
// entries a BRefFilter accepts. Only the entries of the folder shown are
// asked about: the folders above it always pass, or the dialog could not
// show the folder at all.
#pragma once

#include <QSortFilterProxyModel>
#include <QString>

class BFilePanel;

namespace BPrivate {

class EntryFilterModel : public QSortFilterProxyModel {
public:
    EntryFilterModel(BFilePanel* panel, QObject* parent);

    // The folder whose entries are filtered.
    void SetFolder(const QString& path);

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

private:
    BFilePanel* fPanel;
    QString fFolder;
};

} // namespace BPrivate
