#include "store/DataSource.h"

#include "engine/EngineError.h"

#include <QFocusEvent>
#include <QScrollBar>
#include <QTextCursor>

namespace vellora {

DataSource::DataSource(Table *table, QObject *parent) : QObject(parent)
{
    setTable(table);
}

void DataSource::setTable(Table *table)
{
    for (const auto &c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_table = table;
    if (table) {
        m_connections << connect(table, &Table::recordChanged, this, &DataSource::dataChanged)
                      << connect(table, &Table::afterScroll, this, &DataSource::dataChanged)
                      << connect(table, &Table::stateChanged, this, &DataSource::dataChanged)
                      << connect(table, &Table::rowsChanged, this, &DataSource::rowsChanged)
                      << connect(table, &Table::afterOpen, this, [this] {
                             emit activeChanged(true);
                             emit dataChanged();
                         })
                      << connect(table, &Table::afterClose, this, [this] {
                             emit activeChanged(false);
                             emit dataChanged();
                         })
                      << connect(table, &QObject::destroyed, this, [this] {
                             m_connections.clear();
                             emit activeChanged(false);
                             emit dataChanged();
                         });
    }
    emit activeChanged(isActive());
    emit dataChanged();
}

Field DataSource::field(const QString &name) const
{
    if (!isActive() || name.isEmpty())
        return {};
    return m_table->findField(name);
}

QString DataSource::fieldText(const QString &name) const
{
    const Field f = field(name);
    if (!f.isValid() || m_table->recNo() == 0)
        return {};
    return f.asString();
}

void DataSource::setFieldText(const QString &name, const QString &text)
{
    if (!isActive())
        throw EngineError(QStringLiteral("The table is not open"));
    Field f = m_table->fieldByName(name);
    if (m_table->state() == TableState::Browse && m_table->recNo() == 0 && m_rowMaker) {
        // Typing into an empty collection makes its first card.
        m_rowMaker();
        if (!isActive())
            throw EngineError(QStringLiteral("The table is not open"));
        f = m_table->fieldByName(name);
    }
    if (m_table->state() == TableState::Browse)
        m_table->edit();
    f.setAsString(text);
}

bool DataSource::fieldTakesText(const QString &name) const
{
    const Field f = field(name);
    if (!f.isValid())
        return true;
    switch (f.type()) {
    case FieldType::String:
    case FieldType::FixedChar:
    case FieldType::WideString:
    case FieldType::Memo:
    case FieldType::FmtMemo:
        return true;
    default:
        return false;
    }
}

void DataSource::addPendingEdit(PendingEdit *edit)
{
    if (!m_pending.contains(edit))
        m_pending.append(edit);
}

void DataSource::removePendingEdit(PendingEdit *edit) { m_pending.removeAll(edit); }

void DataSource::storePendingEdits()
{
    const QList<PendingEdit *> pending = m_pending;
    for (PendingEdit *edit : pending) {
        QString error;
        if (!edit->storePending(&error))
            throw EngineError(error);
    }
}

void DataSource::dropPendingEdits()
{
    const QList<PendingEdit *> pending = m_pending;
    for (PendingEdit *edit : pending)
        edit->dropPending();
}

bool DataSource::fieldEditable(const QString &name) const
{
    const Field f = field(name);
    return f.isValid() && !f.isReadOnly();
}

namespace {

// Stored texts may carry Windows line breaks; the boxes work with '\n'.
QString ForBox(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return t;
}

}  // namespace

// ---- FieldBinding ------------------------------------------------------

void FieldBinding::setSource(DataSource *source, QObject *receiver, const std::function<void()> &reload)
{
    QObject::disconnect(m_connection);
    m_source = source;
    if (source)
        m_connection = QObject::connect(source, &DataSource::dataChanged, receiver, reload);
}

void FieldBinding::whileLoading(const std::function<void()> &fill)
{
    m_loading = true;
    fill();
    m_loading = false;
}

FieldBinding::Store FieldBinding::store(const QString &text, QString *error)
{
    if (m_loading || !m_source || !m_source->isActive())
        return Store::Skipped;
    m_loading = true;
    try {
        m_source->setFieldText(m_field, text);
    } catch (const EngineError &e) {
        m_loading = false;
        *error = e.message();
        return Store::Refused;
    }
    m_loading = false;
    return Store::Stored;
}

// ---- DBMemo ------------------------------------------------------------

DBMemo::DBMemo(QWidget *parent) : QPlainTextEdit(parent)
{
    connect(this, &QPlainTextEdit::textChanged, this, &DBMemo::onTextEdited);
}

DBMemo::~DBMemo()
{
    if (DataSource *source = m_binding.source())
        source->removePendingEdit(this);
}

void DBMemo::setPending(bool pending)
{
    m_pending = pending;
    DataSource *source = m_binding.source();
    if (!source)
        return;
    if (pending) {
        m_pendingRow = source->table() ? source->table()->recNo() : 0;
        source->addPendingEdit(this);
    } else {
        source->removePendingEdit(this);
    }
}

bool DBMemo::storePending(QString *error)
{
    if (!m_pending)
        return true;
    const FieldBinding::Store result = m_binding.store(toPlainText(), error);
    if (result == FieldBinding::Store::Refused) {
        if (error->isEmpty())
            *error = QStringLiteral("'%1' cannot be stored in the field %2.").arg(toPlainText(), dataField());
        return false;
    }
    setPending(false);
    reload();
    return true;
}

void DBMemo::dropPending()
{
    setPending(false);
    reload();
}

void DBMemo::focusOutEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusOutEvent(event);
    showFromFirstLine();
    // Leaving the box checks a value that waited for completion; another
    // window taking the focus for a moment (a message, a menu) does not.
    if (!m_pending || event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    QString error;
    if (!storePending(&error))
        emit editRefused(error);
}

void DBMemo::showFromFirstLine()
{
    if (hasFocus())
        return;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void DBMemo::setDataSource(DataSource *source)
{
    if (DataSource *old = m_binding.source())
        old->removePendingEdit(this);
    m_pending = false;
    m_binding.setSource(source, this, [this] { reload(); });
    reload();
}

void DBMemo::setDataField(const QString &name)
{
    m_binding.setField(name);
    reload();
}

void DBMemo::reload()
{
    if (m_binding.loading())
        return;  // our own edit reaching the field: the box already shows it
    DataSource *source = m_binding.source();
    if (m_pending) {
        // Typed text waiting for its check stays while the card does; a
        // card left some other way takes its own value.
        const Table *table = source ? source->table() : nullptr;
        if (table && table->isOpen() && table->recNo() == m_pendingRow)
            return;
        setPending(false);
    }
    const QString text = source ? ForBox(source->fieldText(m_binding.field())) : QString();
    setReadOnly(!source || !source->fieldEditable(m_binding.field()));
    if (text != toPlainText()) {
        m_binding.whileLoading([&] {
            const int position = textCursor().position();
            setPlainText(text);
            QTextCursor cursor = textCursor();
            cursor.setPosition(qMin(position, int(text.size())));
            setTextCursor(cursor);
        });
    }
    showFromFirstLine();
}

void DBMemo::onTextEdited()
{
    if (m_binding.loading())
        return;
    DataSource *source = m_binding.source();
    if (source && source->isActive() && !source->fieldTakesText(m_binding.field())) {
        // A date or a number is complete only when the operator says so.
        if (!m_pending)
            setPending(true);
        return;
    }
    QString error;
    const FieldBinding::Store result = m_binding.store(toPlainText(), &error);
    if (result == FieldBinding::Store::Skipped)
        return;
    reload();  // a text cut to the field's width shows as stored
    if (result == FieldBinding::Store::Refused)
        emit editRefused(error);
}

// ---- DBEdit ------------------------------------------------------------

DBEdit::DBEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, &DBEdit::onTextEdited);
}

void DBEdit::setDataSource(DataSource *source)
{
    m_binding.setSource(source, this, [this] { reload(); });
    reload();
}

void DBEdit::setDataField(const QString &name)
{
    m_binding.setField(name);
    reload();
}

void DBEdit::reload()
{
    if (m_binding.loading())
        return;
    DataSource *source = m_binding.source();
    const Field f = source ? source->field(m_binding.field()) : Field();
    setReadOnly(!f.isValid() || f.isReadOnly());
    const int width = f.isValid() && (f.type() == FieldType::String || f.type() == FieldType::FixedChar ||
                                      f.type() == FieldType::WideString)
                          ? f.size()
                          : 0;
    setMaxLength(width > 0 ? width : 32767);
    const QString text = source ? source->fieldText(m_binding.field()) : QString();
    if (text == this->text())
        return;
    m_binding.whileLoading([&] {
        const int position = cursorPosition();
        setText(text);
        setCursorPosition(qMin(position, int(text.size())));
    });
}

void DBEdit::onTextEdited(const QString &text)
{
    QString error;
    const FieldBinding::Store result = m_binding.store(text, &error);
    if (result == FieldBinding::Store::Skipped)
        return;
    reload();
    if (result == FieldBinding::Store::Refused)
        emit editRefused(error);
}

}  // namespace vellora
