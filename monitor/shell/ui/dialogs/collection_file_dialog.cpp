#include "monitor/shell/ui/dialogs/collection_file_dialog.h"

#include "monitor/shell/ui/dialogs/dialog_texts.h"

#include <QMessageBox>

namespace zeph::monitor {

CollectionFileBox::CollectionFileBox(const CollectionFileDialog& dialog, QWidget* parent)
    : QFileDialog(parent, qText(dialog.title), QString(), qtFileFilter(dialog.filter)),
      dialog_(dialog) {
    setObjectName(QStringLiteral("CollectionFileBox"));
    // The same dialog on every desktop, placed over the frame.
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(dialog.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    setFileMode(dialog.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    selectFile(qText(dialog.defaultName));
}

ChosenFile CollectionFileBox::chosen() const {
    if (result() != QDialog::Accepted || selectedFiles().isEmpty()) {
        return {};
    }
    return {selectedFiles().front().toStdString(), 0};
}

void CollectionFileBox::accept() {
    const QStringList files = selectedFiles();
    if (dialog_.save && !files.isEmpty()) {
        if (const char* refusal =
                saveNameRefusal(dialog_.collection, files.front().toStdString())) {
            QMessageBox::warning(this, windowTitle(), qText(refusal));
            return;
        }
    }
    QFileDialog::accept();
}

ChosenFile runCollectionFileBox(const CollectionFileDialog& dialog, QWidget* parent) {
    CollectionFileBox box(dialog, parent);
    box.exec();
    return box.chosen();
}

} // namespace zeph::monitor
