#pragma once
// The Find dialog: searches the main window's card table, record by record
// from the card after the current one, for a text in one field or in any
// field, and makes the first matching card current with the matching field
// items selected on the front card panel. Always on top, not modal.
#include "dataman/find/FindMatch.h"

#include <QDialog>
#include <QPointer>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vellora {
class Table;
}

class TForm3 : public QDialog {
    Q_OBJECT
public:
    // `table` is the main window's card table, `cardPanel` its front card
    // panel (Panel4) holding the field items; neither is owned.
    explicit TForm3(vellora::Table *table = nullptr, QWidget *cardPanel = nullptr, QWidget *parent = nullptr);

    void setTable(vellora::Table *table);
    void setCardPanel(QWidget *panel);

    // Rebuilds the "Look In:" list from the table's fields (on every
    // showing) and empties the search text.
    void FormShow();
    // Find: searches on from the card after the current one. Throws
    // EngineError when the "Look In:" entry names no field of the table.
    void Button1Click();
    // Cancel: stops a running search and hides the dialog.
    void Button2Click();

    bool searching() const { return m_searching; }
    // The field name a "Look In:" entry stands for: the name of the last
    // FieldCaptions line whose display name is exactly the entry's text,
    // else the text itself.
    static QString FieldNameForEntry(const QString &entry);
    // Whether any of the record's fields (fieldIndex < 0) or the one field
    // matches.
    static bool RecordMatches(vellora::Table &table, int fieldIndex, const vellora::FindText &text);

    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QLabel *Label2 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QLabel *Label3 = nullptr;
    QComboBox *ComboBox2 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    // Widens the labels' column to the longest label of the current language.
    void fitLabelColumn();

private:
    // Selects the whole text of the field items that show the result.
    void markResult(const QString &chosenField, const vellora::FindText &text);

    vellora::Table *m_table = nullptr;
    QPointer<QWidget> m_cardPanel;
    bool m_stop = true;
    bool m_searching = false;
};
