// The Qt side of BFilePanel: Qt's own file dialog that may stay open after
// a choice, listing entries through a proxy model that asks the panel's
// filter. Lives on the GUI thread.
#pragma once

#include <QFileDialog>

#include <string>

class BFilePanel;
class QComboBox;

namespace BPrivate {

class EntryFilterModel;

class FileDialog : public QFileDialog {
public:
    // The column of the details list with the modification dates.
    static constexpr int kDateColumn = 3;

    FileDialog(BFilePanel* panel, bool hideWhenDone);

    // Adds a titled choice list in a row of its own on the first call.
    void AddChoice(const QString& title, const QString& label, bool marked);
    QString MarkedChoice() const;
    bool HasChoices() const { return fChoices != nullptr; }
    // Asks the filter again for every entry.
    void Refilter();

    void done(int result) override;

protected:
    // Closes the file name's completion list with the dialog: it is a
    // window of its own and would stay on screen.
    void hideEvent(QHideEvent* event) override;

private:
    BFilePanel* fPanel;
    bool fHideWhenDone;
    EntryFilterModel* fFilterModel;
    QComboBox* fChoices;
};

} // namespace BPrivate
