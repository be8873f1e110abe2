#pragma once
// The import wizard: brings records into the card table from a table of an
// ODBC data source, a table file in a folder (dBASE, text table with
// schema, Paradox, FoxPro) or a comma-separated file, which is first loaded
// into the temporary text table temptab.txt in the program folder.
#include "dataman/transferwiz/TransferWizard.h"

#include "engine/Table.h"

class Timportform : public TransferWizard {
    Q_OBJECT
public:
    explicit Timportform(const QString &appFolder = QString(), QWidget *parent = nullptr);

    // The comma-separated route: file dialog, the Literals7 question, the
    // temporary table, then the mapping page. Returns false (back on page
    // 1) when the dialog was cancelled or the file could not be loaded.
    bool ImportCommaFile();
    // The kind of the chosen source table.
    vellora::TableType sourceType() const { return m_sourceType; }

protected:
    void nextFromPage1() override;
    void nextFromPage2() override;
    void finish() override;
    void cleanUp() override;

private:
    vellora::TableType m_sourceType = vellora::TableType::Default;
};
