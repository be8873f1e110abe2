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
class DBMemo : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)
public:
    explicit DBMemo(QWidget *parent = nullptr);

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

private:
    void onTextEdited();
    FieldBinding m_binding;
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

signals:
    void editRefused(const QString &message);

private:
    void onTextEdited(const QString &text);
    FieldBinding m_binding;
};

}  // namespace vellora
