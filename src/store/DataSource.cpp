#include "store/DataSource.h"

#include "engine/EngineError.h"

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
    if (m_table->state() == TableState::Browse)
        m_table->edit();
    f.setAsString(text);
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

void DBMemo::setDataSource(DataSource *source)
{
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
    const QString text = source ? ForBox(source->fieldText(m_binding.field())) : QString();
    setReadOnly(!source || !source->fieldEditable(m_binding.field()));
    if (text == toPlainText())
        return;
    m_binding.whileLoading([&] {
        const int position = textCursor().position();
        setPlainText(text);
        QTextCursor cursor = textCursor();
        cursor.setPosition(qMin(position, int(text.size())));
        setTextCursor(cursor);
    });
}

void DBMemo::onTextEdited()
{
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
