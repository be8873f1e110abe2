#include "engine/Table.h"

#include "engine/EngineError.h"
#include "engine/FieldValues.h"
#include "engine/Session.h"
#include "engine/TableImpl.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace vellora {

using engine::RowChange;
using engine::RowValues;
using engine::TableDriver;
using engine::TableLocation;

// ---------------------------------------------------------------- helpers

namespace {

QString findCaseInsensitive(const QString &folder, const QString &name)
{
    const QString exact = QDir(folder).filePath(name);
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString &e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return QDir(folder).filePath(e);
    return exact;
}

QString typeLabel(TableType t)
{
    switch (t) {
    case TableType::DBase: return QStringLiteral("dBASE");
    case TableType::FoxPro: return QStringLiteral("FoxPro");
    case TableType::Text: return QStringLiteral("text");
    case TableType::Paradox: return QStringLiteral("Paradox");
    default: return QStringLiteral("card");
    }
}

} // namespace

TableLocation Table::Impl::resolve(TableDriver **driverOut) const
{
    Session *s = session ? session : Session::defaultSession();
    TableLocation loc;
    loc.database = database;
    loc.tableName = tableName;
    if (tableName.trimmed().isEmpty())
        throw EngineError(QObject::tr("No table name is set."));
    QString folder = s->aliasFolder(database);
    if (folder.isEmpty() && !database.isEmpty() && !QFileInfo(database).isDir()) {
        if (TableDriver *d = engine::driverForAlias(database)) {
            loc.alias = database;
            *driverOut = d;
            return loc;
        }
    }
    if (folder.isEmpty())
        folder = database.isEmpty() ? QDir::currentPath() : database;
    QString name = tableName;
    const QString ext = QFileInfo(name).suffix();
    TableDriver *d = nullptr;
    if (type == TableType::Default) {
        d = ext.isEmpty() ? engine::driverFor(TableType::Card) : engine::driverForExtension(QLatin1Char('.') + ext);
        if (!d)
            throw EngineError(QObject::tr("The table %1 has an unknown kind (extension .%2).").arg(name, ext));
    } else {
        d = engine::driverFor(type);
        if (!d)
            throw EngineError(QObject::tr("Tables of the %1 kind cannot be opened: the engine has no driver for them.")
                                  .arg(typeLabel(type)));
    }
    if (ext.isEmpty() && !d->extensions().isEmpty()) {
        QString e = d->extensions().first();
        name += d->type() == TableType::Card || d->type() == TableType::Paradox ? e.toUpper() : e;
    }
    loc.filePath = findCaseInsensitive(folder, name);
    *driverOut = d;
    return loc;
}

void Table::Impl::requireOpen() const
{
    if (!storage)
        throw EngineError(QObject::tr("The table %1 is not open.").arg(tableName));
}

bool Table::Impl::isStored(qint64 id) const
{
    auto it = pending.constFind(id);
    return it == pending.constEnd() || it->kind == Pending::Modified;
}

Table::Impl::RowValues Table::Impl::rowAt(int pos) const
{
    const qint64 id = order[size_t(pos)];
    if (!pending.isEmpty()) {
        auto p = pending.constFind(id);
        if (p != pending.constEnd())
            return p->values;
    }
    const long w = long(pos) - wFrom;
    if (w >= 0 && w < long(wIds.size()) && wIds[size_t(w)] == id && !wRows[size_t(w)].isEmpty())
        return wRows[size_t(w)];
    // Read a block of rows into the window: scrolling on from the last block
    // reads a large block (a full scan costs one query per block), a jump a
    // small one around the row.
    const int n = int(order.size());
    const bool onward = pos >= wFrom - 1 && pos <= wFrom + int(wIds.size());
    const bool backward = onward && pos < wFrom;
    const int from = backward ? std::max(0, pos - 255) : std::max(0, pos - (onward ? 0 : 4));
    const int to = backward ? pos + 1 : std::min(n, pos + (onward ? 256 : 12));
    std::vector<qint64> fetch;
    fetch.reserve(size_t(to - from));
    wIds.assign(order.begin() + from, order.begin() + to);
    for (qint64 x : wIds)
        if (isStored(x))
            fetch.push_back(x);
    std::vector<RowValues> rows;
    storage->readRows(fetch.data(), int(fetch.size()), rows);
    wRows.assign(wIds.size(), RowValues());
    wFrom = from;
    size_t k = 0;
    for (size_t i = 0; i < wIds.size() && k < fetch.size(); ++i)
        if (wIds[i] == fetch[k]) {
            wRows[i] = rows[k].isEmpty() ? nulls() : std::move(rows[k]);
            ++k;
        }
    const RowValues &r = wRows[size_t(pos - from)];
    return r.isEmpty() ? nulls() : r;
}

const Table::Impl::RowValues &Table::Impl::current() const
{
    const qint64 id = currentId();
    if (!curValuesValid || curValuesId != id) {
        curValues = cur >= 0 ? rowAt(cur) : nulls();
        curValuesId = id;
        curValuesValid = true;
    }
    return curValues;
}

int Table::Impl::compareKeys(const RowValues &a, const RowValues &b) const
{
    for (int f : pk) {
        const int c = engine::compareValues(a.value(f), b.value(f));
        if (c)
            return c;
    }
    return 0;
}

int Table::Impl::positionFor(qint64 id, const RowValues &values) const
{
    if (idKey >= 0)
        return int(std::lower_bound(order.begin(), order.end(), id) - order.begin());
    if (pk.isEmpty())
        return int(order.size());
    int lo = 0, hi = int(order.size());
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (compareKeys(values, rowAt(mid)) < 0)
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

void Table::Impl::checkKey(const RowValues &values, qint64 self) const
{
    if (pk.isEmpty())
        return;
    for (int f : pk)
        if (!values.value(f).isValid())
            throw EngineError(QObject::tr("The field %1 of table %2 must have a value.").arg(defs[f].name, display));
    auto violation = [&]() {
        QStringList parts;
        for (int f : pk)
            parts.append(defs[f].name + QLatin1Char(' ') + engine::formatValue(values.value(f), defs[f]));
        return KeyViolationError(QObject::tr("Key violation: the table %1 already has a row with %2.")
                                     .arg(display, parts.join(QStringLiteral(", "))));
    };
    if (idKey >= 0) {
        const qint64 key = values.value(idKey).toLongLong();
        if (key != self && std::binary_search(order.begin(), order.end(), key))
            throw violation();
        return;
    }
    for (auto it = pending.constBegin(); it != pending.constEnd(); ++it)
        if (it.key() != self && compareKeys(it->values, values) == 0)
            throw violation();
    RowValues keyValues;
    for (int f : pk)
        keyValues.append(values.value(f));
    const auto found = storage->findKey(keyValues);
    if (found && *found != self && !deleted.contains(*found)) {
        auto p = pending.constFind(*found);
        if (p == pending.constEnd() || compareKeys(p->values, values) == 0)
            throw violation();
    }
}

qint64 Table::Impl::takeAutoInc(int field)
{
    auto it = autoPool.find(field);
    if (it != autoPool.end() && it->first < it->second)
        return it->first++;
    const qint64 n = storage->reserveAutoInc(field, 1);
    autoPool[field] = {n + 1, n + 1};
    return n;
}

void Table::Impl::releasePools()
{
    if (!storage)
        return;
    for (auto it = autoPool.begin(); it != autoPool.end(); ++it) {
        try {
            storage->releaseAutoInc(it.key(), it->first, it->second);
        } catch (const EngineError &) {
        }
    }
    autoPool.clear();
}

void Table::Impl::restore(Snapshot s)
{
    order = std::move(s.order);
    pending = std::move(s.pending);
    deleted = std::move(s.deleted);
    cur = s.cur;
    bof = s.bof;
    eof = s.eof;
    invalidateCurrent();
}

void Table::Impl::setState(TableState s)
{
    if (state == s)
        return;
    state = s;
    emit q->stateChanged(s);
}

void Table::Impl::scrolled(qint64 previousId, bool always)
{
    invalidateCurrent();
    if (always || currentId() != previousId) {
        emit q->afterScroll();
        emit q->recordChanged();
    }
}

void Table::Impl::rebuildOrder(std::vector<qint64> stored)
{
    std::vector<qint64> o;
    o.reserve(stored.size() + size_t(pending.size()));
    for (qint64 id : stored)
        if (!deleted.contains(id))
            o.push_back(id);
    std::vector<std::pair<qint64, qint64>> inserts;   // serial, id
    for (auto it = pending.constBegin(); it != pending.constEnd(); ++it)
        if (it->kind == Pending::Inserted)
            inserts.push_back({it->serial, it.key()});
    std::sort(inserts.begin(), inserts.end());
    order = std::move(o);
    for (const auto &[serial, id] : inserts) {
        (void)serial;
        const int pos = positionFor(id, pending.value(id).values);
        order.insert(order.begin() + pos, id);
    }
    invalidateCurrent();
}

void Table::Impl::checkBrowse()
{
    if (state == TableState::Edit || state == TableState::Insert) {
        if (modified)
            q->post();
        else
            q->cancel();
    }
}

void Table::Impl::assign(int field, const QVariant &value)
{
    if (state != TableState::Edit && state != TableState::Insert)
        throw EngineError(QObject::tr("The table %1 is not being edited: the field %2 cannot be changed.")
                              .arg(display, defs[field].name));
    buf[field] = value;
    modified = true;
    emit q->recordChanged();
}

void Table::Impl::commit()
{
    if (pending.isEmpty() && deleted.isEmpty()) {
        storage->apply({});
        return;
    }
    std::vector<RowChange> changes;
    changes.reserve(size_t(pending.size() + deleted.size()));
    std::vector<qint64> deletes(deleted.begin(), deleted.end());
    std::sort(deletes.begin(), deletes.end());
    for (qint64 id : deletes)
        changes.push_back({RowChange::Delete, id, {}});
    std::vector<std::pair<qint64, qint64>> inserts;   // sort key, id
    for (auto it = pending.constBegin(); it != pending.constEnd(); ++it) {
        if (it->kind == Pending::Modified)
            changes.push_back({RowChange::Update, it.key(), it->values});
        else
            inserts.push_back({idKey >= 0 ? it.key() : it->serial, it.key()});
    }
    std::sort(inserts.begin(), inserts.end());
    for (const auto &[k, id] : inserts) {
        (void)k;
        changes.push_back({RowChange::Insert, id, pending.value(id).values});
    }
    const std::vector<qint64> newIds = storage->apply(changes);

    // Written: the cache becomes the stored state.
    QHash<qint64, qint64> renamed;
    for (size_t i = 0; i < inserts.size(); ++i) {
        const qint64 id = inserts[i].second;
        const qint64 now = idKey >= 0 ? id : newIds.at(i);
        if (now != id)
            renamed.insert(id, now);
    }
    dropWindow();
    if (!renamed.isEmpty())
        for (qint64 &id : order) {
            auto r = renamed.constFind(id);
            if (r != renamed.constEnd())
                id = *r;
        }
    pending.clear();
    deleted.clear();
    invalidateCurrent();
}

// ---------------------------------------------------------------- Field

#define FIELD_CHECK()                                                                          \
    if (!m_table)                                                                              \
        throw EngineError(QObject::tr("The field does not exist."));                           \
    auto &t = *m_table->d;                                                         \
    if (m_index < 0 || m_index >= t.defs.size())                                               \
        throw EngineError(QObject::tr("The field does not exist."));

QString Field::name() const
{
    FIELD_CHECK();
    return t.defs[m_index].name;
}

QString Field::displayName() const
{
    FIELD_CHECK();
    const QString n = t.displayNames.value(m_index);
    return n.isEmpty() ? t.defs[m_index].name : n;
}

void Field::setDisplayName(const QString &caption)
{
    FIELD_CHECK();
    while (t.displayNames.size() <= m_index)
        t.displayNames.append(QString());
    t.displayNames[m_index] = caption;
}

FieldType Field::type() const
{
    FIELD_CHECK();
    return t.defs[m_index].type;
}

int Field::size() const
{
    FIELD_CHECK();
    return t.defs[m_index].size;
}

bool Field::isReadOnly() const
{
    FIELD_CHECK();
    return t.defs[m_index].type == FieldType::AutoInc;
}

QVariant Field::value() const
{
    FIELD_CHECK();
    t.requireOpen();
    if (t.state == TableState::Edit || t.state == TableState::Insert)
        return t.buf.value(m_index);
    if (t.cur < 0)
        return {};
    return t.current().value(m_index);
}

bool Field::isNull() const
{
    const QVariant v = value();
    return !v.isValid() || v.isNull();
}

QString Field::asString() const
{
    FIELD_CHECK();
    t.requireOpen();
    if (t.state == TableState::Edit || t.state == TableState::Insert)
        return engine::formatValue(t.buf.value(m_index), t.defs[m_index]);
    if (t.cur < 0)
        return {};
    const RowValues &row = t.current();
    if (m_index >= row.size())
        return {};
    const QVariant &v = row[m_index];
    // Text fields hold a QString: hand it out without a conversion.
    if (v.metaType().id() == QMetaType::QString)
        return *static_cast<const QString *>(v.constData());
    return engine::formatValue(v, t.defs[m_index]);
}

namespace {

// An assignment's field, refused when the table numbers it itself.
const FieldDef &assignableDef(const FieldDef &def)
{
    if (def.type == FieldType::AutoInc)
        throw EngineError(QObject::tr("The field %1 is numbered by the table and cannot be changed.").arg(def.name));
    return def;
}

[[noreturn]] void throwInvalidValue(const QString &text, const FieldDef &def)
{
    throw EngineError(QObject::tr("'%1' is not a valid %2 value for the field %3.")
                          .arg(text, fieldTypeName(def.type), def.name));
}

}  // namespace

void Field::setAsString(const QString &text)
{
    FIELD_CHECK();
    t.requireOpen();
    const FieldDef &def = assignableDef(t.defs[m_index]);
    bool ok = true;
    const QVariant v = engine::parseValue(text, def, &ok);
    if (!ok)
        throwInvalidValue(text, def);
    t.assign(m_index, v);
}

void Field::setValue(const QVariant &value)
{
    FIELD_CHECK();
    t.requireOpen();
    const FieldDef &def = assignableDef(t.defs[m_index]);
    bool ok = true;
    const QVariant v = engine::convertValue(value, def, &ok);
    if (!ok)
        throwInvalidValue(value.toString(), def);
    t.assign(m_index, v);
}

void Field::clear()
{
    FIELD_CHECK();
    t.requireOpen();
    if (t.defs[m_index].type == FieldType::AutoInc)
        throw EngineError(QObject::tr("The field %1 is numbered by the table and cannot be changed.")
                              .arg(t.defs[m_index].name));
    t.assign(m_index, QVariant());
}

// ---------------------------------------------------------------- Table

Table::Table(QObject *parent) : QObject(parent), d(std::make_unique<Impl>(this)) {}

Table::~Table()
{
    close();
}

Session *Table::session() const { return d->session ? d->session : Session::defaultSession(); }
void Table::setSession(Session *session) { d->session = session; }
QString Table::databaseName() const { return d->database; }
QString Table::tableName() const { return d->tableName; }
TableType Table::tableType() const { return d->type; }
bool Table::exclusive() const { return d->exclusive; }
bool Table::isOpen() const { return d->storage != nullptr; }
QString Table::kindName() const { return d->kind; }
bool Table::cachedUpdates() const { return d->cached; }

#define requireClosed(dd, what)                                                            \
    if ((dd).storage)                                                                      \
        throw EngineError(QObject::tr("The table %1 must be closed to change its %2.")     \
                              .arg((dd).tableName, QStringLiteral(what)));

void Table::setDatabaseName(const QString &folderOrAlias)
{
    requireClosed(*d, "database");
    d->database = folderOrAlias;
}

void Table::setTableName(const QString &name)
{
    requireClosed(*d, "name");
    d->tableName = name;
}

void Table::setTableType(TableType type)
{
    requireClosed(*d, "type");
    d->type = type;
}

void Table::setExclusive(bool exclusive)
{
    requireClosed(*d, "exclusive use");
    d->exclusive = exclusive;
}

void Table::setCachedUpdates(bool on)
{
    if (on == d->cached)
        return;
    if (!on && d->storage) {
        d->checkBrowse();
        commitUpdates();
    }
    d->cached = on;
}

QString Table::filePath() const
{
    try {
        TableDriver *drv = nullptr;
        return d->resolve(&drv).filePath;
    } catch (const EngineError &) {
        return QDir(d->database).filePath(d->tableName);
    }
}

void Table::open()
{
    if (d->storage)
        return;
    TableDriver *drv = nullptr;
    const TableLocation loc = d->resolve(&drv);
    auto storage = drv->open(loc, d->exclusive);
    d->display = QDir::toNativeSeparators(loc.alias.isEmpty() ? loc.filePath : loc.alias + QLatin1Char(':') + loc.tableName);
    d->defs = storage->fieldDefs();
    d->indexes = storage->indexDefs();
    d->kind = storage->kindName();
    d->idKey = storage->idKeyField();
    d->pk.clear();
    for (const IndexDef &ix : d->indexes)
        if (ix.primary)
            for (const QString &f : ix.fields)
                for (int i = 0; i < d->defs.size(); ++i)
                    if (d->defs[i].name.compare(f, Qt::CaseInsensitive) == 0)
                        d->pk.append(i);
    std::vector<qint64> ids = storage->rowIds();
    d->storage = std::move(storage);
    d->order = std::move(ids);
    d->dropWindow();
    d->pending.clear();
    d->deleted.clear();
    d->autoPool.clear();
    d->cur = d->order.empty() ? -1 : 0;
    d->bof = true;
    d->eof = d->order.empty();
    d->buf.clear();
    d->modified = false;
    d->invalidateCurrent();
    d->setState(TableState::Browse);
    emit afterOpen();
    emit rowsChanged();
    emit recordChanged();
    emit afterScroll();
}

void Table::close()
{
    if (!d->storage)
        return;
    emit beforeClose();
    d->releasePools();
    d->storage.reset();
    d->order.clear();
    d->dropWindow();
    d->pending.clear();
    d->deleted.clear();
    d->buf.clear();
    d->cur = -1;
    d->bof = d->eof = true;
    d->invalidateCurrent();
    d->setState(TableState::Inactive);
    emit afterClose();
    emit rowsChanged();
    emit recordChanged();
}

QList<FieldDef> Table::fieldDefs() const { return d->defs; }
QList<IndexDef> Table::indexDefs() const { return d->indexes; }

void Table::setFieldDefs(const QList<FieldDef> &defs)
{
    requireClosed(*d, "field definitions");
    d->defs = defs;
}

void Table::setIndexDefs(const QList<IndexDef> &defs)
{
    requireClosed(*d, "index definitions");
    d->indexes = defs;
}

void Table::createTable()
{
    requireClosed(*d, "file");
    TableDriver *drv = nullptr;
    const TableLocation loc = d->resolve(&drv);
    QList<FieldDef> defs = d->defs;
    QList<IndexDef> indexes = d->indexes;
    drv->adaptDefinitions(defs, indexes);
    drv->create(loc, defs, indexes);
    d->defs = defs;
    d->indexes = indexes;
}

void Table::emptyTable()
{
    if (d->storage) {
        if (d->state != TableState::Browse)
            cancel();
        d->storage->emptyTable();
        d->pending.clear();
        d->deleted.clear();
        d->dropWindow();
        d->order.clear();
        d->cur = -1;
        d->bof = d->eof = true;
        d->invalidateCurrent();
        emit rowsChanged();
        emit recordChanged();
        emit afterScroll();
        return;
    }
    TableDriver *drv = nullptr;
    const TableLocation loc = d->resolve(&drv);
    auto storage = drv->open(loc, true);
    storage->emptyTable();
}

int Table::fieldCount() const { return d->defs.size(); }

QStringList Table::fieldNames() const
{
    QStringList out;
    for (const FieldDef &f : d->defs)
        out.append(f.name);
    return out;
}

Field Table::field(int index)
{
    if (index < 0 || index >= d->defs.size())
        throw EngineError(tr("The table %1 has no field number %2.").arg(d->tableName).arg(index + 1));
    return Field(this, index);
}

Field Table::findField(const QString &name)
{
    for (int i = 0; i < d->defs.size(); ++i)
        if (d->defs[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return Field(this, i);
    return Field();
}

Field Table::fieldByName(const QString &name)
{
    Field f = findField(name);
    if (!f.isValid())
        throw EngineError(tr("The table %1 has no field %2.").arg(d->tableName, name));
    return f;
}

// ---- moving

void Table::first()
{
    d->requireOpen();
    d->checkBrowse();
    const qint64 before = d->currentId();
    d->cur = d->order.empty() ? -1 : 0;
    d->bof = true;
    d->eof = d->order.empty();
    d->scrolled(before, true);
}

void Table::last()
{
    d->requireOpen();
    d->checkBrowse();
    const qint64 before = d->currentId();
    d->cur = int(d->order.size()) - 1;
    d->eof = true;
    d->bof = d->order.empty();
    d->scrolled(before, true);
}

void Table::next()
{
    d->requireOpen();
    d->checkBrowse();
    const qint64 before = d->currentId();
    if (d->cur + 1 >= int(d->order.size())) {
        d->eof = true;
        return;
    }
    ++d->cur;
    d->bof = d->eof = false;
    d->scrolled(before, false);
}

void Table::prior()
{
    d->requireOpen();
    d->checkBrowse();
    const qint64 before = d->currentId();
    if (d->cur <= 0) {
        d->bof = true;
        return;
    }
    --d->cur;
    d->bof = d->eof = false;
    d->scrolled(before, false);
}

bool Table::eof() const { return d->eof; }
bool Table::bof() const { return d->bof; }
int Table::recordCount() const { return int(d->order.size()); }
int Table::recNo() const { return d->cur + 1; }

void Table::setRecNo(int recNo)
{
    d->requireOpen();
    d->checkBrowse();
    if (d->order.empty())
        return;
    const qint64 before = d->currentId();
    d->cur = std::clamp(recNo, 1, int(d->order.size())) - 1;
    d->bof = d->eof = false;
    d->scrolled(before, false);
}

Bookmark Table::bookmark() const
{
    if (!d->storage || d->cur < 0)
        return {};
    return {d->currentId(), true};
}

bool Table::bookmarkValid(const Bookmark &b) const
{
    return b.valid && std::find(d->order.begin(), d->order.end(), b.id) != d->order.end();
}

void Table::gotoBookmark(const Bookmark &b)
{
    d->requireOpen();
    d->checkBrowse();
    auto it = b.valid ? std::find(d->order.begin(), d->order.end(), b.id) : d->order.end();
    if (it == d->order.end())
        throw EngineError(tr("The row looked for is no longer in the table %1.").arg(d->display));
    const qint64 before = d->currentId();
    d->cur = int(it - d->order.begin());
    d->bof = d->eof = false;
    d->scrolled(before, false);
}

// ---- editing

TableState Table::state() const { return d->state; }

void Table::edit()
{
    d->requireOpen();
    if (d->state == TableState::Edit || d->state == TableState::Insert)
        return;
    if (d->cur < 0) {
        append();
        return;
    }
    d->buf = d->current();
    d->editId = d->currentId();
    d->modified = false;
    d->setState(TableState::Edit);
    emit recordChanged();
}

void Table::insert()
{
    d->requireOpen();
    d->checkBrowse();
    emit beforeInsert();
    d->buf = d->nulls();
    d->modified = false;
    d->setState(TableState::Insert);
    emit recordChanged();
}

void Table::append()
{
    insert();
}

void Table::post()
{
    d->requireOpen();
    if (d->state != TableState::Edit && d->state != TableState::Insert)
        return;
    Impl &t = *d;
    const bool inserting = t.state == TableState::Insert;
    RowValues values = t.buf;
    // Rows that were not changed need no write.
    if (!inserting && values == t.current()) {
        t.buf.clear();
        t.setState(TableState::Browse);
        emit recordChanged();
        return;
    }
    for (int f : t.pk)
        if (t.defs[f].type != FieldType::AutoInc && !values.value(f).isValid())
            throw EngineError(tr("The field %1 of table %2 must have a value.").arg(t.defs[f].name, t.display));
    const qint64 self = inserting ? std::numeric_limits<qint64>::min() : t.editId;
    if (inserting) {
        for (int f = 0; f < t.defs.size(); ++f)
            if (t.defs[f].type == FieldType::AutoInc && !values[f].isValid()) {
                values[f] = t.takeAutoInc(f);
                t.buf[f] = values[f];   // a failed post keeps the number
            }
    }
    t.checkKey(values, self);

    Impl::Snapshot before;
    const bool writeNow = !t.cached && !t.holdCommits;
    if (writeNow)
        before = t.snapshot();
    const qint64 previous = t.currentId();
    if (inserting) {
        const qint64 id = t.idKey >= 0 ? values[t.idKey].toLongLong() : t.nextTemp++;
        t.pending.insert(id, {Impl::Pending::Inserted, values, std::nullopt, ++t.serial});
        const int pos = t.positionFor(id, values);
        t.order.insert(t.order.begin() + pos, id);
        t.cur = pos;
    } else {
        const qint64 id = t.editId;
        auto p = t.pending.find(id);
        const bool keyChanged = !t.pk.isEmpty() && t.compareKeys(values, t.current()) != 0;
        if (t.idKey >= 0 && keyChanged) {
            const qint64 newId = values[t.idKey].toLongLong();
            std::optional<qint64> origin;
            if (p != t.pending.end() && p->kind == Impl::Pending::Inserted) {
                origin = p->origin;
                t.pending.erase(p);
            } else {
                if (p != t.pending.end())
                    t.pending.erase(p);
                t.deleted.insert(id);
                origin = id;
            }
            t.order.erase(t.order.begin() + t.cur);
            t.pending.insert(newId, {Impl::Pending::Inserted, values, origin, ++t.serial});
            const int pos = t.positionFor(newId, values);
            t.order.insert(t.order.begin() + pos, newId);
            t.cur = pos;
        } else {
            if (p != t.pending.end())
                p->values = values;
            else
                t.pending.insert(id, {Impl::Pending::Modified, values, std::nullopt, ++t.serial});
            if (keyChanged) {
                t.order.erase(t.order.begin() + t.cur);
                const int pos = t.positionFor(id, values);
                t.order.insert(t.order.begin() + pos, id);
                t.cur = pos;
            }
        }
    }
    t.invalidateCurrent();
    const RowValues editBuffer = t.buf;
    const TableState editState = t.state;
    t.buf.clear();
    t.modified = false;
    t.state = TableState::Browse;
    if (writeNow) {
        try {
            t.commit();
        } catch (...) {
            t.restore(std::move(before));
            t.buf = editBuffer;
            t.modified = true;
            t.state = editState;
            throw;
        }
    }
    emit stateChanged(TableState::Browse);
    t.bof = t.eof = false;
    emit rowsChanged();
    emit recordChanged();
    if (t.currentId() != previous)
        emit afterScroll();
}

void Table::cancel()
{
    if (d->state != TableState::Edit && d->state != TableState::Insert)
        return;
    d->buf.clear();
    d->modified = false;
    d->setState(TableState::Browse);
    d->invalidateCurrent();
    emit recordChanged();
}

void Table::deleteRecord()
{
    d->requireOpen();
    Impl &t = *d;
    if (t.state == TableState::Insert) {
        cancel();
        return;
    }
    if (t.state == TableState::Edit)
        cancel();
    if (t.cur < 0)
        throw EngineError(tr("The table %1 has no row to delete.").arg(t.display));
    const bool writeNow = !t.cached && !t.holdCommits;
    Impl::Snapshot before;
    if (writeNow)
        before = t.snapshot();
    const qint64 id = t.currentId();
    auto p = t.pending.find(id);
    if (p != t.pending.end()) {
        const bool stored = p->kind == Impl::Pending::Modified;
        t.pending.erase(p);
        if (stored)
            t.deleted.insert(id);
    } else {
        t.deleted.insert(id);
    }
    t.order.erase(t.order.begin() + t.cur);
    if (t.cur >= int(t.order.size()))
        t.cur = int(t.order.size()) - 1;
    t.eof = t.order.empty();
    t.bof = t.order.empty();
    if (writeNow) {
        try {
            t.commit();
        } catch (...) {
            t.restore(std::move(before));
            throw;
        }
    }
    t.invalidateCurrent();
    emit rowsChanged();
    emit recordChanged();
    emit afterScroll();
}

void Table::refresh()
{
    d->requireOpen();
    d->checkBrowse();
    const qint64 before = d->currentId();
    d->dropWindow();
    d->rebuildOrder(d->storage->rowIds());
    auto it = std::find(d->order.begin(), d->order.end(), before);
    if (it != d->order.end())
        d->cur = int(it - d->order.begin());
    else
        d->cur = std::min(d->cur, int(d->order.size()) - 1);
    if (d->cur < 0 && !d->order.empty())
        d->cur = 0;
    emit rowsChanged();
    d->scrolled(before, false);
    emit recordChanged();
}

// ---- cached updates

bool Table::updatesPending() const
{
    return !d->pending.isEmpty() || !d->deleted.isEmpty();
}

void Table::commitUpdates()
{
    d->requireOpen();
    if (d->state == TableState::Edit || d->state == TableState::Insert)
        post();
    d->commit();
    emit rowsChanged();
    emit recordChanged();
}

void Table::cancelUpdates()
{
    d->requireOpen();
    cancel();
    if (!updatesPending())
        return;
    const qint64 before = d->currentId();
    d->pending.clear();
    d->deleted.clear();
    d->rebuildOrder(d->storage->rowIds());
    auto it = std::find(d->order.begin(), d->order.end(), before);
    d->cur = it != d->order.end() ? int(it - d->order.begin())
                                  : std::min(std::max(d->cur, 0), int(d->order.size()) - 1);
    emit rowsChanged();
    d->scrolled(before, false);
    emit recordChanged();
}

void Table::revertRecord()
{
    d->requireOpen();
    Impl &t = *d;
    if (t.state == TableState::Edit || t.state == TableState::Insert)
        cancel();
    if (t.cur < 0)
        return;
    const qint64 id = t.currentId();
    auto p = t.pending.find(id);
    if (p == t.pending.end())
        return;
    if (p->kind == Impl::Pending::Modified) {
        t.pending.erase(p);
        if (!t.pk.isEmpty() && t.idKey < 0) {
            t.order.erase(t.order.begin() + t.cur);
            t.invalidateCurrent();
            std::vector<qint64> one{id};
            std::vector<RowValues> rows;
            t.storage->readRows(one.data(), 1, rows);
            const int pos = t.positionFor(id, rows.empty() ? RowValues() : rows.front());
            t.order.insert(t.order.begin() + pos, id);
            t.cur = pos;
        }
    } else {
        const std::optional<qint64> origin = p->origin;
        t.pending.erase(p);
        t.order.erase(t.order.begin() + t.cur);
        if (origin) {
            t.deleted.remove(*origin);
            std::vector<qint64> one{*origin};
            std::vector<RowValues> rows;
            t.storage->readRows(one.data(), 1, rows);
            const RowValues values = rows.empty() ? RowValues() : rows.front();
            const int pos = t.positionFor(*origin, values);
            t.order.insert(t.order.begin() + pos, *origin);
            t.cur = pos;
        } else if (t.cur >= int(t.order.size())) {
            t.cur = int(t.order.size()) - 1;
        }
    }
    t.invalidateCurrent();
    emit rowsChanged();
    emit recordChanged();
    emit afterScroll();
}

// ---- restructure

void Table::changeFieldType(int fieldIndex, const FieldChange &change)
{
    if (!d->storage)
        throw EngineError(QStringLiteral("Table must be opened to restructure"));
    if (!d->exclusive)
        throw EngineError(QStringLiteral("Table must be opened exclusively to restructure"));
    if (d->kind != QLatin1String("PARADOX") && d->kind != QLatin1String("DBASE"))
        throw EngineError(QStringLiteral("Field altering can only occur on Paradox or dBASE tables"));
    if (fieldIndex < 0 || fieldIndex >= d->defs.size())
        throw EngineError(tr("The table %1 has no field number %2.").arg(d->display).arg(fieldIndex + 1));
    FieldDef def = d->defs[fieldIndex];
    if (!change.name.isEmpty())
        def.name = change.name;
    if (change.type != FieldType::Unknown)
        def.type = change.type;
    if (change.size != 0)
        def.size = change.size;
    cancel();
    d->storage->changeField(fieldIndex, def);
    close();
}

} // namespace vellora
