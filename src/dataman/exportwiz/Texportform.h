#pragma once
// The export wizard: writes the card table into a table of an ODBC data
// source with a field mapping made by drag and drop, or into a new dBASE,
// text (with schema) or Paradox table or a comma-separated file with every
// field.
#include "dataman/transferwiz/TransferWizard.h"

class Texportform : public TransferWizard {
    Q_OBJECT
public:
    explicit Texportform(const QString &appFolder = QString(), QWidget *parent = nullptr);

    // The built-in routes: the save dialog, then the new table or file;
    // the wizard closes whether the dialog was confirmed or cancelled.
    void ExportToFile(int entry);

protected:
    void nextFromPage1() override;
    void nextFromPage2() override;
    void finish() override;
};
