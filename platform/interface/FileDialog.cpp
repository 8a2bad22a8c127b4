#include "FileDialog.h"

#include "EntryFilterModel.h"

#include <FilePanel.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeView>

#include <string>
#include <vector>

namespace BPrivate {

FileDialog::FileDialog(BFilePanel* panel, bool hideWhenDone)
    :
    QFileDialog(nullptr),
    fPanel(panel),
    fHideWhenDone(hideWhenDone),
    fFilterModel(nullptr),
    fChoices(nullptr)
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    fFilterModel = new EntryFilterModel(panel, this);
    setProxyModel(fFilterModel);
    fFilterModel->SetFolder(directory().absolutePath());
    connect(this, &QFileDialog::directoryEntered, this,
        [this](const QString& folder) { fFilterModel->SetFolder(folder); });
    // The details list shows the modification dates whole: their column
    // takes the width its entries need rather than a fixed one that cuts
    // them ("8 Dec ...:47:15").
    if (auto* details = findChild<QTreeView*>(QStringLiteral("treeView")))
        details->header()->setSectionResizeMode(kDateColumn, QHeaderView::ResizeToContents);
}

void FileDialog::Refilter()
{
    fFilterModel->SetFolder(directory().absolutePath());
    fFilterModel->invalidate();
}

void FileDialog::AddChoice(const QString& title, const QString& label, bool marked)
{
    if (fChoices == nullptr) {
        auto* grid = qobject_cast<QGridLayout*>(layout());
        fChoices = new QComboBox(this);
        fChoices->setObjectName(title);
        auto* caption = new QLabel(title + QStringLiteral(":"), this);
        caption->setBuddy(fChoices);
        if (grid != nullptr) {
            const int row = grid->rowCount();
            grid->addWidget(caption, row, 0);
            grid->addWidget(fChoices, row, 1, 1, grid->columnCount() > 2 ? grid->columnCount() - 1 : 1);
        }
    }
    fChoices->addItem(label);
    if (marked || fChoices->count() == 1)
        fChoices->setCurrentIndex(fChoices->count() - 1);
}

QString FileDialog::MarkedChoice() const
{
    return fChoices != nullptr ? fChoices->currentText() : QString();
}

void FileDialog::done(int result)
{
    if (result != QDialog::Accepted) {
        QFileDialog::done(result);
        fPanel->_Cancelled();
        return;
    }
    std::vector<std::string> paths;
    for (const QString& file : selectedFiles())
        paths.push_back(file.toStdString());
    // Staying open means not closing the dialog at all; it keeps the
    // folder and selection for the next choice.
    if (fHideWhenDone)
        QFileDialog::done(result);
    fPanel->_Chosen(paths);
}

void FileDialog::hideEvent(QHideEvent* event)
{
    for (QCompleter* completer : findChildren<QCompleter*>()) {
        if (QAbstractItemView* list = completer->popup(); list != nullptr && list->isVisible())
            list->hide();
    }
    QFileDialog::hideEvent(event);
}

} // namespace BPrivate
