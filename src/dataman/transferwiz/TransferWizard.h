#pragma once
// What the import and export wizards share: three pages on the same spot
// (source or destination kind, table, field mapping), the buttons Back,
// Next, Cancel and Finish re-evaluated every second, the field labels that
// are paired by dragging one onto the other, Remove and Pair Equal Names,
// the wizard's private engine session and its two tables, and running a
// long move with the window kept responsive.
#include "dataman/transfer/DataTransfer.h"

#include <QDialog>
#include <QLabel>
#include <QPointer>

class QGroupBox;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTimer;

namespace vellora {
class Session;
class Table;
}

class TransferWizard;

// A field's name on the mapping page. Pressing the mouse on it and moving
// starts a drag; releasing over a label of the other side pairs the two.
// The tag tells the sides apart (1 and 2).
class FieldLabel : public QLabel {
    Q_OBJECT
public:
    FieldLabel(const QString &name, int tag, TransferWizard *wizard, QWidget *parent);
    int tag() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    TransferWizard *m_wizard;
};

class TransferWizard : public QDialog {
    Q_OBJECT
public:
    // destinationTag: the tag of the labels in ScrollBox1 (the destination
    // side): 2 for the import, 1 for the export.
    TransferWizard(const QString &appFolder, int destinationTag, QWidget *parent = nullptr);
    ~TransferWizard() override;

    QString appFolder() const { return m_appFolder; }
    void setAppFolder(const QString &folder);
    // The chosen source (import) or destination (export): an alias or a folder.
    QString chosenSource() const { return m_chosen; }

    // 0, 1, 2 for the three pages.
    int page() const;

    // ---- components (names are the translation keys' names) ----
    vellora::Session *Session1 = nullptr;
    vellora::Table *Table1 = nullptr;   // the card table
    vellora::Table *Table2 = nullptr;   // the other table
    QTimer *Timer1 = nullptr;

    QWidget *Panel1 = nullptr;
    QLabel *Label5 = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QLabel *Label8 = nullptr;
    QRadioButton *RadioButton1 = nullptr;
    QListWidget *aliasnames = nullptr;
    QPushButton *adddsn = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    QLabel *Label9 = nullptr;
    QRadioButton *RadioButton2 = nullptr;
    QListWidget *importtypes = nullptr;

    QWidget *Panel2 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label11 = nullptr;
    QListWidget *tablelist = nullptr;

    QWidget *Panel3 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label10 = nullptr;
    QListWidget *maplist = nullptr;
    QPushButton *Button5 = nullptr;      // Remove
    QPushButton *pairnames = nullptr;    // Pair Equal Names
    QLabel *Label2 = nullptr;
    QScrollArea *ScrollBox1 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label4 = nullptr;
    QScrollArea *ScrollBox2 = nullptr;
    QGroupBox *GroupBox3 = nullptr;
    QRadioButton *RadioButton3 = nullptr;   // Append Records
    QRadioButton *RadioButton4 = nullptr;   // Copy And Replace Records
    QLabel *Label3 = nullptr;

    QPushButton *Button7 = nullptr;    // Back
    QPushButton *Button8 = nullptr;    // Next
    QPushButton *Button9 = nullptr;    // Cancel
    QPushButton *Button10 = nullptr;   // Finish
    QProgressBar *ProgressBar1 = nullptr;

    // ---- behaviour ----
    // Showing: closes the card table, refills the alias list, page 1.
    void FormShow();
    // The button states, as the timer sets them every second.
    void Timer1Timer();
    void RadioButton1Click();
    void RadioButton2Click();
    // Add New DSN: the data-source installer, then the session restarted
    // and the alias list refilled.
    void adddsnClick();
    void Button5Click();     // Remove
    void pairnamesClick();   // Pair Equal Names
    void Button7Click();     // Back
    void Button8Click();     // Next
    void Button9Click();     // Cancel
    void Button10Click();    // Finish

    // A press on a field label: the mouse's moves and release until the
    // button goes up make the drag (wherever the window system delivers
    // them).
    void beginDrag(FieldLabel *label, const QPoint &globalPos);
    // The drop of one field label on another (either side dragged).
    void pairLabels(FieldLabel *dragged, FieldLabel *target);
    // Drag feedback: the label under the mouse while dragging (or null).
    void dragOver(FieldLabel *dragged, QWidget *under);
    FieldLabel *highlightedLabel() const { return m_highlighted; }
    QList<FieldLabel *> labelsIn(QScrollArea *box) const;
    FieldLabel *labelNamed(const QString &objectName) const;

    // The data-source installer Add New DSN shows (a test replaces it).
    // Returns true when a data source was added.
    using DataSourceInstaller = std::function<bool(QWidget *parent)>;
    void setDataSourceInstaller(DataSourceInstaller installer) { m_installer = std::move(installer); }

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    virtual void nextFromPage1() = 0;
    virtual void nextFromPage2() = 0;
    virtual void finish() = 0;
    // Every close: the tables are closed (and temporary files removed).
    virtual void cleanUp();

    void showPage(int page);
    // Lists the tables of the chosen source into tablelist; throws
    // EngineError (nothing changed then).
    void fillTableList(const QString &database, const QString &pattern, bool extensions);
    // Frees both boxes' labels and empties maplist.
    void clearMapping();
    // Labels named prefix + n for the names, n counted from firstNumber.
    void addLabels(QScrollArea *box, const QStringList &names, const QString &prefix, int firstNumber, int tag,
                   bool fullWidth);
    // Runs work with the window's controls disabled; the progress function
    // it is given lets pending input through every 50 ms and shows the
    // progress bar once the work has taken a second.
    void runBusy(const std::function<void(const vellora::transfer::Progress &)> &work);
    bool busy() const { return m_busy; }
    // Finish: moves the records of `from` into `to` by the pairs of maplist,
    // appending or (Copy And Replace) replacing, with both tables closed
    // before and after.
    vellora::transfer::MoveResult moveMapped(vellora::Table &from, vellora::Table &to);

    QString m_appFolder;
    QString m_chosen;
    int m_destinationTag;

private:
    void refillAliases();
    void clearHighlight();
    void highlight(FieldLabel *label);
    void endDrag();
    FieldLabel *m_highlighted = nullptr;
    QPointer<FieldLabel> m_dragSource;
    QPoint m_pressAt;
    bool m_dragging = false;
    DataSourceInstaller m_installer;
    bool m_busy = false;
};
