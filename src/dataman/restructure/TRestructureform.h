#pragma once
// The restructure dialog: the card table's fields in a list, the first ten
// (the standard fields) fixed, the others renamed, retyped, resized or
// deleted, new ones added; Save/Reindex rebuilds the card table with the new
// structure (RestructureCardTable). While shown, the dialog holds the card
// table for exclusive use.
#include "dataman/restructure/Restructure.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QFrame;

namespace vellora {
class Table;
}

class TRestructureform : public QDialog {
    Q_OBJECT
public:
    explicit TRestructureform(QWidget *parent = nullptr);
    ~TRestructureform() override;

    void setAppFolder(const QString &appFolder) { m_appFolder = appFolder; }
    // Centred on this window when shown.
    void setMainWindow(QWidget *window) { m_mainWindow = window; }

    // Opens the card table exclusively and fills the list; false (after
    // Literals29) when the table is in use elsewhere. Throws EngineError
    // when the card table is missing or damaged.
    bool FormShow();
    // FormShow, then modal.
    int ShowDialog();

    // The working definitions.
    const QList<vellora::RestructureField> &fields() const { return m_fields; }
    int selectedField() const;
    void selectField(int index);

    void Button1Click();   // Add
    void Button2Click();   // Delete
    void Edit1Exit();      // name
    void Edit2Exit();      // size
    void ComboBox1Exit();  // type
    // Save/Reindex: true when the card table was rebuilt (the dialog then
    // closes); false after the error was reported.
    bool Button3Click();

    QLabel *Label5 = nullptr;
    QListWidget *ListBox1 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QFrame *Panel1 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QLabel *Label2 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QPushButton *Button3 = nullptr;
    QPushButton *Button4 = nullptr;
    vellora::Table *Table1 = nullptr;

    // The type names offered, in their order.
    static QStringList TypeNames();

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fillList(int select);
    void showSelected();
    bool openExclusive();

    QString m_appFolder;
    QWidget *m_mainWindow = nullptr;
    QList<vellora::RestructureField> m_fields;
    QString m_typedType;
    bool m_typing = false;
};
