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

// A multi-line box bound to one field: the card face's field items.
class DBMemo : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)
public:
    explicit DBMemo(QWidget *parent = nullptr);

    DataSource *dataSource() const { return m_source; }
    void setDataSource(DataSource *source);
    QString dataField() const { return m_field; }
    void setDataField(const QString &name);
    // Shows the field's current value again (drops nothing: typed text is
    // already in the field).
    void reload();

signals:
    // An edit could not be taken into the field (the engine's message).
    void editRefused(const QString &message);

private:
    void onTextEdited();
    QPointer<DataSource> m_source;
    QString m_field;
    QMetaObject::Connection m_connection;
    bool m_loading = false;
};

// A single-line box bound to one field: the card number box, the track boxes.
class DBEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)
public:
    explicit DBEdit(QWidget *parent = nullptr);

    DataSource *dataSource() const { return m_source; }
    void setDataSource(DataSource *source);
    QString dataField() const { return m_field; }
    void setDataField(const QString &name);
    void reload();

signals:
    void editRefused(const QString &message);

private:
    void onTextEdited(const QString &text);
    QPointer<DataSource> m_source;
    QString m_field;
    QMetaObject::Connection m_connection;
    bool m_loading = false;
};

}  // namespace vellora
