#pragma once
// Add New DSN: a small dialog that creates a user ODBC data source: its
// name, one of the installed drivers and the driver's connection keywords
// (prefilled with the ones the common drivers use).
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

class TDsnForm : public QDialog {
    Q_OBJECT
public:
    explicit TDsnForm(QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    QLineEdit *dsnname = nullptr;
    QLabel *Label2 = nullptr;
    QComboBox *drivers = nullptr;
    QLabel *Label3 = nullptr;
    QTableWidget *keywords = nullptr;
    QLabel *Label4 = nullptr;     // what is wrong, when OK cannot go on
    QPushButton *Button1 = nullptr;   // OK
    QPushButton *Button2 = nullptr;   // Cancel

    // Refills the driver list; the keywords follow the chosen driver.
    void FormShow();
    // Writes the data source; stays open with the reason in Label4 when it
    // cannot.
    void Button1Click();
    // The name of the data source written by the last OK.
    QString createdName() const { return m_created; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fillKeywords();
    QString m_created;
};

// Shows the dialog modally; true when a data source was created.
bool ShowDataSourceDialog(QWidget *parent);
