#pragma once
// Data-aware controls: a DataSource binds controls to an open table by field
// name. A bound box shows the current row's field and follows every move of
// the cursor, every open and close; typing into it puts the table into edit
// state and gives the field the box's text at once, so the next post (by
// any command) stores it.
#include "engine/Table.h"

#include <QLineEdit>
#include <QObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <functional>

namespace vellora {

class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(Table *table = nullptr, QObject *parent = nullptr);

    Table *table() const { return m_table; }
    void setTable(Table *table);
    bool isActive() const { return m_table && m_table->isOpen(); }

    // The field of the open table by name (case ignored); invalid when the
    // table is closed or has no such field.
    Field field(const QString &name) const;
    // The current row's text of the field; "" when there is none.
    QString fieldText(const QString &name) const;
    // Puts the table into edit state when browsing and sets the field from
    // the text. Throws EngineError (closed table, missing or read-only
    // field, text that does not fit the field's type).
    void setFieldText(const QString &name, const QString &text);
    // True when the field can be edited through a bound control.
    bool fieldEditable(const QString &name) const;
    // True when the field holds text (any text can be typed into it one
    // key at a time); false for dates, numbers, logical fields and the like.
    bool fieldTakesText(const QString &name) const;

    // What typing into a bound control does when the table has no row: the
    // program's way of making a new card. Without it the typing starts an
    // insert.
    void setRowMaker(std::function<void()> makeRow) { m_rowMaker = std::move(makeRow); }

    // Controls whose typed text waits to be checked and stored (a value a
    // field that is not text holds only once complete) register here.
    void addPendingEdit(class PendingEdit *edit);
    void removePendingEdit(class PendingEdit *edit);
    // Stores every waiting text. Throws EngineError naming the field and the
    // value of the first one the field cannot hold; that control keeps its
    // text for correction.
    void storePendingEdits();
    // Drops every waiting text (Undo): the controls show their fields again.
    void dropPendingEdits();

signals:
    // The current row, its values or the table's state changed, or the
    // table was opened or closed: bound controls show the field again.
    void dataChanged();
    // Rows appeared, disappeared or were re-read.
    void rowsChanged();
    void activeChanged(bool active);

private:
    QPointer<Table> m_table;
    QList<QMetaObject::Connection> m_connections;
    std::function<void()> m_rowMaker;
    QList<class PendingEdit *> m_pending;
};

// A bound control holding typed text not yet in its field.
class PendingEdit {
public:
    virtual ~PendingEdit() = default;
    // Stores the waiting text; false with the reason in *error when the
    // field cannot hold it.
    virtual bool storePending(QString *error) = 0;
    virtual void dropPending() = 0;
};

// What a bound box keeps: the source, the field, and the guard that tells the
// box's own edits apart from changes of the row.
class FieldBinding {
public:
    enum class Store { Skipped, Stored, Refused };

    DataSource *source() const { return m_source; }
    // Follows the source's dataChanged with `reload` (run on `receiver`).
    void setSource(DataSource *source, QObject *receiver, const std::function<void()> &reload);
    const QString &field() const { return m_field; }
    void setField(const QString &name) { m_field = name; }
    bool loading() const { return m_loading; }
    // Runs `fill` with the guard up, so the box's change signal is ignored.
    void whileLoading(const std::function<void()> &fill);
    // Takes the box's text into the field. Skipped while loading or while
    // the table is closed; Refused with the engine's message in *error.
    Store store(const QString &text, QString *error);

private:
    QPointer<DataSource> m_source;
    QString m_field;
    QMetaObject::Connection m_connection;
    bool m_loading = false;
};

// A multi-line box bound to one field: the card face's field items.
// Typing into a text field stores every key at once. A field of another
// kind (a date, a number) takes the typed text when the box loses the
// focus or when the card is left (DataSource::storePendingEdits); a value
// it cannot hold is reported by editRefused and stays in the box. While the
// box does not have the focus it shows its text from the first line.
class DBMemo : public QPlainTextEdit, public PendingEdit {
    Q_OBJECT
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)
public:
    explicit DBMemo(QWidget *parent = nullptr);
    ~DBMemo() override;
    bool storePending(QString *error) override;
    void dropPending() override;
    bool hasPendingEdit() const { return m_pending; }

    DataSource *dataSource() const { return m_binding.source(); }
    void setDataSource(DataSource *source);
    QString dataField() const { return m_binding.field(); }
    void setDataField(const QString &name);
    // Shows the field's current value again (drops nothing: typed text is
    // already in the field).
    void reload();

signals:
    // An edit could not be taken into the field (the engine's message).
    void editRefused(const QString &message);

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    void onTextEdited();
    void setPending(bool pending);
    void showFromFirstLine();
    FieldBinding m_binding;
    bool m_pending = false;
    int m_pendingRow = 0;
};

// A single-line box bound to one field: the card number box, the track boxes.
class DBEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)
public:
    explicit DBEdit(QWidget *parent = nullptr);

    DataSource *dataSource() const { return m_binding.source(); }
    void setDataSource(DataSource *source);
    QString dataField() const { return m_binding.field(); }
    void setDataField(const QString &name);
    void reload();
    // True while the box takes its field's value (not an edit).
    bool showingField() const { return m_binding.loading(); }

signals:
    void editRefused(const QString &message);

private:
    void onTextEdited(const QString &text);
    FieldBinding m_binding;
};

}  // namespace vellora
