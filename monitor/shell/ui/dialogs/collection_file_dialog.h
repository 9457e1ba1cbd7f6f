#pragma once

// The almanac and ephemeris file dialogs: save (asking before overwriting) or load (an existing
// file only), with their titles, default names and filters, centred on the main window.

#include "monitor/shell/collection_files.h"

#include <QFileDialog>

namespace zeph::monitor {

class CollectionFileBox : public QFileDialog {
    Q_OBJECT
public:
    CollectionFileBox(const CollectionFileDialog& dialog, QWidget* parent);
    // The chosen name, or an empty one when the dialog was cancelled.
    ChosenFile chosen() const;
    // A save dialog stays open on a name the file cannot be written under.
    void accept() override;

private:
    CollectionFileDialog dialog_;
};

// Runs the dialog modally.
ChosenFile runCollectionFileBox(const CollectionFileDialog& dialog, QWidget* parent);

} // namespace zeph::monitor
